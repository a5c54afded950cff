// A table model over data the core holds, its columns described by a small table of header,
// getter and setter, so a grid costs no widget items however many rows it has.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace qn {

// One column of a TableModel, or a run of `Count` alike columns; `i` counts within the run.
struct TableColumns {
    int Count = 1;
    // The column's heading; none when empty.
    std::function<QString(int i)> Header{};
    // What the cell at model row `row` shows; an invalid value shows nothing.
    std::function<QVariant(size_t row, int i)> Get{};
    // Stores an edit of the cell; false keeps it as it was. Without a setter it is not edited.
    std::function<bool(size_t row, int i, const QString& text)> Set{};
    bool Fixed = false; // numbers or labels: shown on grey and never edited
    QString ToolTip{};  // told where the pointer rests on one of its cells
};

class TableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    TableModel(std::function<size_t()> rows, std::vector<TableColumns> columns,
               QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The rows shown on grey at the top, like a fixed column (labels typed in place).
    void SetFixedRows(size_t rows) { fixedRows_ = rows; }
    // New columns: the view lays the grid out again.
    void SetColumns(std::vector<TableColumns> columns);
    // The data changed size or was filled from elsewhere: the view reads all of it again.
    void Refresh();
    // The data behind cells changed: the view repaints them.
    void CellChanged(size_t row, int column);
    void CellsChanged(size_t firstRow, int firstColumn, size_t lastRow, int lastColumn);

  private:
    // The run of columns `column` lies in, and its place within the run; null past the last.
    std::pair<const TableColumns*, int> Column(int column) const;
    bool Inside(const QModelIndex& index) const;

    std::function<size_t()> rows_;
    std::vector<TableColumns> columns_;
    int columnCount_ = 0;
    size_t fixedRows_ = 0;
};

} // namespace qn
