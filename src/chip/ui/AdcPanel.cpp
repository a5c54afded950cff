// The ADC panel: the front-end drawing with a selector or switch over each field it shows. Every
// change goes to the chip through the context's Write; the controls then show the image again.
#include "chip/ui/AdcPanel.h"

#include "chip/ui/AdcSchematic.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHideEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace qn {
namespace {

using namespace adc_layout;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TADCForm::TADCForm(const ChipPanelContext& context, const AdcPanelLink& link, QWidget* parent)
    : QWidget(parent), context_(context), link_(link) {
    setWindowTitle("ADC");
    setMinimumSize(kCanvas);
    BuildSelectors();
    BuildSwitches();
    BuildLabels();
    BuildResults();
    resize(kCanvas);
    ApplyChip();
}

void TADCForm::BuildSelectors() {
    const std::pair<const char*, QRect> places[] = {
        {"INP", kInpCombo},    {"INN", kInnCombo},   {"PGA", kPgaCombo},    {"ADGN", kAdgnCombo},
        {"DCSET", kDcCombo},   {"OSR", kOsrCombo},   {"OSCS", kClockCombo}, {"LDO", kLdoCombo},
        {"VRPS", RefCombo(0)}, {"VRNS", RefCombo(1)}};
    QComboBox** members[] = {&TXINP,  &TXINN,   &TXPGAGN, &TXADGN,  &TXDCSET,
                             &COMOSR, &COMOSCS, &TXLDO,   &COMVRPS, &COMVRNS};
    const char* names[] = {"TXINP",  "TXINN",   "TXPGAGN", "TXADGN",  "TXDCSET",
                           "COMOSR", "COMOSCS", "TXLDO",   "COMVRPS", "COMVRNS"};
    for (size_t i = 0; i < std::size(places); ++i) {
        const std::string_view field = places[i].first;
        QComboBox* combo = *members[i] = NewCombo(names[i], places[i].second);
        selectors_.emplace_back(field, combo);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, field, combo](int item) { SelectorChanged(field, combo, item); });
    }
}

void TADCForm::BuildSwitches() {
    struct Entry {
        const char* Field;
        QPushButton** Member;
        const char* Name;
        const char* Caption;
        QRect At;
    };
    const Entry entries[] = {{"HS", &PHS, "PHS", "HS", kHs},
                             {"ADCEN", &PENADC, "PENADC", "ENADC", kEnadc},
                             {"FSRB", &PFRb, "PFRb", "FRb", kFrb},
                             {"REFO", &PREFOS, "PREFOS", "REFOS", kRefos},
                             {"ENLDO", &PENLDO, "PENLDO", "ENLDO", kEnldo},
                             {"ENREFO", &PENREFO, "PENREFO", "ENREFO", kEnrefo},
                             {"ENOP", &PENOP, "PENOP", "ENOP", kEnop},
                             {"OSM", &POSM, "POSM", "OSM", kOsm},
                             {"IRQEN", &PIRQEN, "PIRQEN", "IRQEN", kIrqen},
                             {"TS", &PTS, "PTS", "TS", kTs}};
    for (const Entry& e : entries) {
        QPushButton* button = *e.Member = NewSwitch(e.Name, e.Caption, e.At);
        const std::string_view field = e.Field;
        switches_.emplace_back(field, button);
        connect(button, &QPushButton::clicked, this, [this, field] { SwitchClicked(field); });
    }
    PTS->hide();
}

void TADCForm::BuildLabels() {
    for (int i = 0; i < 8; ++i) {
        const auto k = static_cast<size_t>(i);
        LINP[k] = NewLabel(QString("LINP%1").arg(i), QString("INP%1").arg(i), InpLabel(i));
        LINN[k] = NewLabel(QString("LINN%1").arg(i), QString("INN%1").arg(i), InnLabel(i));
    }
    const char* clocks[] = {"/15", "/5", "327KHz", "1MHZ"};
    for (int k = 0; k < 4; ++k)
        LOSCS[static_cast<size_t>(k)] =
            NewLabel(QString("LOSCS%1").arg(k), clocks[k], ClockLabel(k));
    const char* positive[][2] = {{"LV12P", "V12"}, {"LVDDAP", "VDDA"}, {"LREFP", "REFP"}};
    const char* negative[][2] = {{"LV12N", "V12"}, {"LVDDAN", "VSSA"}, {"LREFN", "REFN"}};
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<size_t>(k);
        LVRP[i] = NewLabel(positive[k][0], positive[k][1], RefLabel(0, k));
        LVRN[i] = NewLabel(negative[k][0], negative[k][1], RefLabel(1, k));
    }
    TXPGAGNS = NewLabel("TXPGAGNS", "", kPgaGainText);
    TXADGNS = NewLabel("TXADGNS", "", kAdgnText);
    TXDCSETS = NewLabel("TXDCSETS", "", kDcText);
    TXOSR = NewLabel("TXOSR", "", kOsrText);
    LLDO = NewLabel("LLDO", "", kLdoText);
    TXREFOS = NewLabel("TXREFOS", "", kRefoText);
    TXFRb = NewLabel("TXFRb", "", kFrbText);
    NewLabel("LIRQNOTE", "enable \"IRQEN\" first", kIrqNote);
    NewLabel("LENOBNOTE", "before ENOB Test.", kEnobNote);
}

void TADCForm::BuildResults() {
    TXADC = NewLabel("TXADC", "", kAdcText);
    TXADC->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TXADC->setStyleSheet("background-color: white; color: black;");
    QFont bold = TXADC->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    TXADC->setFont(bold);
    placed_.back().Font = bold;
    TXTEMP = NewLabel("TXTEMP", "", kTempText);
    TXTEMP->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TXTEMP->setStyleSheet("background-color: white; color: black;");
    TXADCOMD = NewCombo("TXADCOMD", kModeCombo);
    TXADCOMD->addItems({"HEX", "DEC"});
    TXADCObit = NewCombo("TXADCObit", kWidthCombo);
    for (int bits = 8; bits <= 23; ++bits) TXADCObit->addItem(QString::number(bits));
    connect(TXADCOMD, &QComboBox::currentIndexChanged, this, [this](int item) {
        link_.Display.TXADCOMD = static_cast<uint8_t>(std::clamp(item, 0, kAdcModeItems - 1));
        DataUpdate();
    });
    connect(TXADCObit, &QComboBox::currentIndexChanged, this, [this](int item) {
        TXADCObitChange(link_.Display, item);
        DataUpdate();
    });
    BADCRead = NewButton("BADCRead", "ADCRead", kAdcRead);
    connect(BADCRead, &QPushButton::clicked, this, [this] {
        link_.ReadAdcResult();
        DataUpdate();
    });
    BRDADC = NewButton("BRDADC", "STOP", kReading);
    connect(BRDADC, &QPushButton::clicked, this, &TADCForm::ContinuousClicked);
    BTempRead = NewButton("BTempRead", "TempRead", kTempRead);
    connect(BTempRead, &QPushButton::clicked, this, [this] {
        if (link_.ReadTempResult()) DataUpdate();
    });
}

QComboBox* TADCForm::NewCombo(const char* name, const QRect& at) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    Place(combo, at);
    return combo;
}

QPushButton* TADCForm::NewSwitch(const char* name, const char* caption, const QRect& at) {
    QPushButton* button = NewButton(name, caption, at);
    button->setCheckable(true);
    return button;
}

QPushButton* TADCForm::NewButton(const char* name, const char* caption, const QRect& at) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    Place(button, at);
    return button;
}

QLabel* TADCForm::NewLabel(const QString& name, const QString& text, const QRect& at) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    Place(label, at);
    return label;
}

void TADCForm::Place(QWidget* control, const QRect& at) {
    control->setGeometry(at);
    placed_.push_back({control, at, control->font()});
}

// The drawing keeps its proportions: every control's place and font grow with the window.
void TADCForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scale_ = std::max(
        0.1, std::min(width() / double(kCanvas.width()), height() / double(kCanvas.height())));
    for (const Placed& p : placed_) {
        const QRectF r(p.Canvas);
        p.Control->setGeometry(QRectF(r.topLeft() * scale_, r.size() * scale_).toRect());
        QFont font = p.Font;
        if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * scale_);
        p.Control->setFont(font);
    }
}

void TADCForm::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.scale(scale_, scale_);
    const AdcSchematicState state{
        view_.InpLabel,     view_.InnLabel,     view_.ClockLabel,
        view_.VrpsLabel,    view_.VrnsLabel,    view_.PgaBypassClosed,
        view_.VrpsBufferOn, view_.VrnsBufferOn, Field("ADCEN").Shown != 0};
    PaintAdcSchematic(painter, state, palette());
}

// A selector choice goes to the chip; a choice beyond the field's width puts the combo back.
void TADCForm::SelectorChanged(std::string_view field, QComboBox* combo, int item) {
    if (const auto write = SelectorWrite(context_.Model, context_.Image, field, item)) {
        if (write->Reverted) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(static_cast<int>(write->FieldValue));
        }
        context_.Write(write->Address, write->Byte);
    }
    DataUpdate();
}

void TADCForm::SwitchClicked(std::string_view field) {
    if (const auto write = ToggleWrite(context_.Model, context_.Image, field))
        context_.Write(write->Address, write->Byte);
    DataUpdate();
}

void TADCForm::ContinuousClicked() {
    link_.ContinuousRead = !link_.ContinuousRead;
    BRDADC->setText(link_.ContinuousRead ? "Reading" : "STOP");
}

void TADCForm::StopReading() {
    link_.ContinuousRead = false;
    BRDADC->setText("STOP");
}

// Hiding or closing the panel ends continuous reading; a minimised main window does not.
void TADCForm::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) StopReading();
    QWidget::hideEvent(event);
}

void TADCForm::closeEvent(QCloseEvent* event) {
    StopReading();
    QWidget::closeEvent(event);
}

void TADCForm::ApplyChip() {
    for (const auto& [field, combo] : selectors_) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        for (const std::string& item : AdcComboItems(context_.Model, field))
            combo->addItem(Text(item));
    }
    ShowImage();
}

void TADCForm::DataUpdate() {
    refreshed_ = true;
    ShowImage();
}

// Until the first refresh or result the label says whether the ADC is off; a chip change alone
// reads nothing from the chip.
void TADCForm::ShowImage() {
    view_ = ReadAdcPanel(context_.Model, context_.Image, link_.Readings, link_.Display);
    ShowSelectors();
    ShowSwitches();
    ShowLabels();
    if (!refreshed_) TXADC->setText(Text(AdcTextAtCreation(view_)));
    update();
}

void TADCForm::ShowAdcResult(const std::string& text) {
    refreshed_ = true;
    TXADC->setText(Text(text));
}

AdcFieldView TADCForm::Field(std::string_view field) const {
    const auto found = view_.Fields.find(field);
    return found != view_.Fields.end() ? found->second : AdcFieldView{};
}

void TADCForm::ShowSelectors() {
    for (const auto& [field, combo] : selectors_) {
        const AdcFieldView shown = Field(field);
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(shown.Shown);
        combo->setEnabled(shown.Defined);
    }
    const QSignalBlocker quietMode(TXADCOMD);
    TXADCOMD->setCurrentIndex(link_.Display.TXADCOMD);
    const QSignalBlocker quietWidth(TXADCObit);
    TXADCObit->setCurrentIndex(link_.Display.TXADCObit);
}

void TADCForm::ShowSwitches() {
    for (const auto& [field, button] : switches_) {
        const AdcFieldView shown = Field(field);
        button->setChecked(shown.Shown != 0);
        button->setEnabled(shown.Defined);
        Mark(button, shown.Shown != 0);
    }
}

void TADCForm::ShowLabels() {
    for (size_t i = 0; i < LINP.size(); ++i) {
        Mark(LINP[i], static_cast<int>(i) == view_.InpLabel);
        Mark(LINN[i], static_cast<int>(i) == view_.InnLabel);
    }
    for (size_t k = 0; k < LOSCS.size(); ++k) {
        LOSCS[k]->setText(QString::fromStdString(view_.ClockTexts[k]));
        Mark(LOSCS[k], static_cast<int>(k) == view_.ClockLabel);
    }
    for (size_t k = 0; k < LVRP.size(); ++k) {
        Mark(LVRP[k], static_cast<int>(k) == view_.VrpsLabel);
        Mark(LVRN[k], static_cast<int>(k) == view_.VrnsLabel);
    }
    TXPGAGNS->setText(Text(view_.PgaGain));
    TXADGNS->setText(Text(view_.AdcGain));
    TXDCSETS->setText(Text(view_.DcOffset));
    TXOSR->setText(Text(view_.OutputRate));
    LLDO->setText(Text(view_.Ldo));
    TXREFOS->setText(Text(view_.RefOut));
    TXFRb->setText(Text(view_.FullScale));
    TXADC->setText(Text(view_.AdcText));
    TXTEMP->setText(Text(view_.TempText));
}

// Selected labels stand out in the highlight colours; the others sit on button face, black.
void TADCForm::Mark(QLabel* label, bool selected) const {
    const QPalette& pal = palette();
    const QColor back = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button);
    const QColor text = selected ? pal.color(QPalette::HighlightedText) : QColor(Qt::black);
    const QString style = QString("background-color: %1; color: %2; border: 1px solid #a0a0a0;")
                              .arg(back.name(), text.name());
    if (label->styleSheet() != style) label->setStyleSheet(style);
}

// A switch that is on shows the highlight colours; one that is off the window colour, black.
void TADCForm::Mark(QPushButton* button, bool on) const {
    const QPalette& pal = palette();
    const QColor back = on ? pal.color(QPalette::Highlight) : pal.color(QPalette::Window);
    const QColor text = on ? pal.color(QPalette::HighlightedText) : QColor(Qt::black);
    const QString style =
        QString("QPushButton { background-color: %1; color: %2; border: 1px solid #707070; "
                "border-radius: 3px; } QPushButton:disabled { color: #a0a0a0; }")
            .arg(back.name(), text.name());
    if (button->styleSheet() != style) button->setStyleSheet(style);
}

} // namespace qn
