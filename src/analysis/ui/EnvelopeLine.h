// A plot line that hands its plot only the envelope of the data the plot can show: the least and
// greatest value of each pixel column of the visible x range, worked out again whenever a zoom,
// a pan or a resize changes that range or the plot's width.
#pragma once

#include <QMetaObject>

#include <vector>

class QCPGraph;

namespace qn {

class EnvelopeLine {
  public:
    explicit EnvelopeLine(QCPGraph& graph);
    ~EnvelopeLine();
    EnvelopeLine(const EnvelopeLine&) = delete;
    EnvelopeLine& operator=(const EnvelopeLine&) = delete;

    // The whole line, keys ascending; the graph gets its envelope over the x range shown now.
    void SetData(std::vector<double> keys, std::vector<double> values);

  private:
    // Hands the graph the envelope when the range or the width differs from the last one's.
    void Refresh();

    QCPGraph& graph_;
    QMetaObject::Connection laidOut_;
    std::vector<double> keys_;
    std::vector<double> values_;
    double lower_ = 0;
    double upper_ = 0;
    int columns_ = -1; // -1: no envelope handed yet
};

} // namespace qn
