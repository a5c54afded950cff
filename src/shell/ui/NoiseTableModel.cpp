// The noise table grid: texts, heat colours and the rate and gain headers.
#include "shell/ui/NoiseTableModel.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

bool IsNoise(NoiseFigure figure) {
    return figure == NoiseFigure::RmsNV || figure == NoiseFigure::VppNV;
}

} // namespace

QColor HeatColour(double fraction) {
    // Hue from blue (240°) through green and yellow to red (0°), light enough for black text.
    const double f = std::clamp(fraction, 0.0, 1.0);
    return QColor::fromHsvF(static_cast<float>((1 - f) * 240.0 / 360.0), 0.45F, 1.0F);
}

void NoiseTableModel::SetTable(const NoiseTable& table) {
    beginResetModel();
    table_ = table;
    FindSpread();
    endResetModel();
}

void NoiseTableModel::SetCell(size_t rate, size_t gain, const NoiseCell& cell) {
    if (rate >= table_.Rates.size() || gain >= table_.Gains.size()) return;
    table_.At(rate, gain) = cell;
    FindSpread();
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void NoiseTableModel::SetFigure(NoiseFigure figure) {
    figure_ = figure;
    FindSpread();
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int NoiseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.Rates.size());
}

int NoiseTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.Gains.size());
}

double NoiseTableModel::Value(const NoiseCell& cell) const {
    switch (figure_) {
    case NoiseFigure::RmsNV:
        return cell.RmsNV;
    case NoiseFigure::VppNV:
        return cell.VppNV;
    case NoiseFigure::EffectiveBits:
        return cell.EffectiveBits;
    case NoiseFigure::NoiseFreeBits:
        return cell.NoiseFreeBits;
    }
    return 0;
}

// Noise is compared on log10 of the value; a value without spread (0 nV) counts as the best.
void NoiseTableModel::FindSpread() {
    bool first = true;
    for (const NoiseCell& cell : table_.Cells) {
        if (!cell.Measured) continue;
        const double v = Value(cell);
        if (IsNoise(figure_) && v <= 0) continue;
        const double scaled = IsNoise(figure_) ? std::log10(v) : v;
        low_ = first ? scaled : std::min(low_, scaled);
        high_ = first ? scaled : std::max(high_, scaled);
        first = false;
    }
}

double NoiseTableModel::Badness(const NoiseCell& cell) const {
    const double v = Value(cell);
    if (IsNoise(figure_) && v <= 0) return 0;
    const double scaled = IsNoise(figure_) ? std::log10(v) : v;
    const double span = high_ - low_;
    if (!(span > 0)) return 0;
    const double fraction = (scaled - low_) / span;
    // More bits are better, more noise is worse.
    return IsNoise(figure_) ? fraction : 1 - fraction;
}

QVariant NoiseTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const NoiseCell& cell =
        table_.At(static_cast<size_t>(index.row()), static_cast<size_t>(index.column()));
    if (!cell.Measured) return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(Value(cell), 'f', 2);
    case Qt::BackgroundRole:
        return HeatColour(Badness(cell));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return QString("RMS %1 nV, p-p %2 nV, %3 effective bits, %4 noise-free bits")
            .arg(cell.RmsNV, 0, 'f', 2)
            .arg(cell.VppNV, 0, 'f', 2)
            .arg(cell.EffectiveBits, 0, 'f', 2)
            .arg(cell.NoiseFreeBits, 0, 'f', 2);
    default:
        return {};
    }
}

QVariant NoiseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) return {};
    const auto at = static_cast<size_t>(section);
    if (orientation == Qt::Horizontal && at < table_.Gains.size())
        return QString::fromStdString(table_.Gains[at].Label).replace(" (", "\n(");
    if (orientation == Qt::Vertical && at < table_.Rates.size())
        return QString::fromStdString(table_.Rates[at].Label);
    return {};
}

} // namespace qn
