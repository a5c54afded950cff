// The front-end drawing: wires, multiplexers, amplifiers, switches and blocks in vector strokes,
// so the drawing stays sharp at any scale or device pixel ratio.
#include "chip/ui/AdcSchematic.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPolygonF>

#include <initializer_list>

namespace qn {
namespace {

using namespace adc_layout;

const QColor kInk(55, 55, 60);
const QColor kCanvasFill(250, 250, 246);
const QColor kMuxFill(226, 232, 240);
const QColor kPgaFill(214, 230, 248);
const QColor kGainFill(236, 230, 250);
const QColor kOffsetFill(252, 240, 222);
const QColor kAdcOnFill(220, 241, 216);
const QColor kAdcOffFill(230, 230, 230);
const QColor kClockFill(246, 246, 226);
const QColor kLdoFill(232, 242, 250);
const QColor kRefoFill(246, 234, 246);
const QColor kResultFill(240, 244, 240);

QPen Pen(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A wire through `points`; the selected signal's wire is drawn thick in the highlight colour.
void Wire(QPainter& p, std::initializer_list<QPointF> points, bool lit, const QPalette& pal) {
    p.setPen(lit ? Pen(pal.color(QPalette::Highlight), 2.6) : Pen(kInk, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points.begin(), static_cast<int>(points.size()));
}

void Node(QPainter& p, QPointF at) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(at, 2.8, 2.8);
}

// An arrow head at `tip` pointing right (dx 1), left (-1), up (dy -1) or down (dy 1).
void Arrow(QPainter& p, QPointF tip, int dx, int dy) {
    const QPointF back(-5.0 * dx, -5.0 * dy);
    const QPointF side(3.0 * dy, 3.0 * dx);
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({tip, tip + back + side, tip + back - side}));
}

void Text(QPainter& p, const QRectF& box, const QString& text, double points, bool bold,
          int align = Qt::AlignCenter) {
    QFont font = p.font();
    font.setPointSizeF(points);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(box, align, text);
}

void Block(QPainter& p, const QRectF& box, const QColor& fill) {
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(box, 5, 5);
}

// A multiplexer: a trapezoid narrowing toward its output on the right.
void Mux(QPainter& p, const QRectF& box) {
    const double slope = box.height() * 0.12;
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kMuxFill);
    p.drawPolygon(QPolygonF({box.topLeft(), box.topRight() + QPointF(0, slope),
                             box.bottomRight() - QPointF(0, slope), box.bottomLeft()}));
}

void Triangle(QPainter& p, QPointF topLeft, QPointF bottomLeft, QPointF tip, const QBrush& fill,
              const QPen& pen) {
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPolygon(QPolygonF({topLeft, bottomLeft, tip}));
}

// A switch between terminals `a` and `b` on one level: the blade lies flat when closed and is
// lifted when open.
void Switch(QPainter& p, QPointF a, QPointF b, bool closed, const QPalette& pal) {
    const QPointF end = closed ? b : b + QPointF(-6, -14);
    p.setPen(closed ? Pen(pal.color(QPalette::Highlight), 2.6) : Pen(kInk, 1.6));
    p.drawLine(a, end);
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kCanvasFill);
    p.drawEllipse(a, 3.0, 3.0);
    p.drawEllipse(b, 3.0, 3.0);
}

double MidY(const QRect& r) {
    return r.top() + r.height() / 2.0;
}

void PaintInputs(QPainter& p, const AdcSchematicState& s, const QPalette& pal) {
    Text(p, {8, 30, 40, 16}, "INP", 8, true, Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, {8, 228, 40, 16}, "INN", 8, true, Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < 8; ++i) {
        Wire(p, {{58, MidY(InpLabel(i))}, {76, MidY(InpLabel(i))}}, i == s.Inp, pal);
        Wire(p, {{58, MidY(InnLabel(i))}, {76, MidY(InnLabel(i))}}, i == s.Inn, pal);
    }
    Mux(p, {76, 46, 24, 150});
    Mux(p, {76, 242, 24, 150});
    Wire(p, {{100, kLineP}, {140, kLineP}}, false, pal);
    Wire(p, {{100, kLineN}, {140, kLineN}}, false, pal);
}

// The PGA between the two paths, each path bridged by its gain-bypass switch.
void PaintPga(QPainter& p, const AdcSchematicState& s, const QPalette& pal) {
    Wire(p, {{140, kLineP}, {140, 190}, {170, 190}}, false, pal);
    Wire(p, {{140, kLineN}, {140, 248}, {170, 248}}, false, pal);
    Wire(p, {{238, 210}, {290, 210}, {290, kLineP}}, false, pal);
    Wire(p, {{238, 228}, {290, 228}, {290, kLineN}}, false, pal);
    Triangle(p, {170, 160}, {170, 278}, {250, 219}, kPgaFill, Pen(kInk, 1.4));
    Text(p, {172, 180, 14, 18}, "+", 9, true);
    Text(p, {172, 238, 14, 18}, "−", 9, true);
    Text(p, {180, 208, 44, 22}, "PGA", 9, true);
    for (const double y : {double{kLineP}, double{kLineN}}) {
        Wire(p, {{140, y}, {185, y}}, false, pal);
        Wire(p, {{235, y}, {305, y}}, false, pal);
        Switch(p, {185, y}, {235, y}, s.BypassClosed, pal);
        Text(p, {240, y - 18, 24, 14}, "x1", 7, false);
        Node(p, {140, y});
        Node(p, {290, y});
    }
}

// The ADC gain stage, the DC offset added to both paths, and the converter.
void PaintGainOffsetAdc(QPainter& p, const AdcSchematicState& s, const QPalette& pal) {
    Block(p, {305, 100, 80, 242}, kGainFill);
    Text(p, {305, 150, 80, 16}, "ADC gain", 8, true);
    for (const double y : {double{kLineP}, double{kLineN}}) {
        Wire(p, {{305, y}, {326, y}}, false, pal);
        Triangle(p, {326, y - 11}, {326, y + 11}, {354, y}, kPgaFill, Pen(kInk, 1.2));
        Wire(p, {{354, y}, {436, y}}, false, pal);
        p.setPen(Pen(kInk, 1.3));
        p.setBrush(kOffsetFill);
        p.drawEllipse(QPointF(445, y), 9, 9);
        p.drawLine(QPointF(440, y), QPointF(450, y));
        p.drawLine(QPointF(445, y - 5), QPointF(445, y + 5));
        Wire(p, {{454, y}, {510, y}}, s.AdcOn, pal);
        Arrow(p, {510, y}, 1, 0);
    }
    Wire(p, {{445, 176}, {445, kLineP + 9}}, false, pal);
    Wire(p, {{445, 256}, {445, kLineN - 9}}, false, pal);
    Block(p, {400, 176, 90, 80}, kOffsetFill);
    Text(p, {400, 178, 90, 16}, "DC offset", 8, true);
    Block(p, {510, 100, 100, 242}, s.AdcOn ? kAdcOnFill : kAdcOffFill);
    Text(p, {510, 103, 100, 18}, "ΣΔ ADC", 9, true);
    Text(p, {510, 121, 100, 14}, "24 bit", 7.5, false);
    Text(p, {512, 322, 44, 14}, "VREFP", 7, false);
    Text(p, {566, 322, 44, 14}, "VREFN", 7, false);
    Wire(p, {{610, 132}, {613, 132}}, s.AdcOn, pal);
    Arrow(p, {618, 132}, 1, 0);
}

// The four clock sources into their selector, then the output-rate stage above the converter.
void PaintClock(QPainter& p, const AdcSchematicState& s, const QPalette& pal) {
    for (int k = 0; k < 4; ++k)
        Wire(p, {{352, MidY(ClockLabel(k))}, {362, MidY(ClockLabel(k))}}, k == s.Clock, pal);
    Mux(p, {362, 4, 14, 86});
    Text(p, {296, 86, 70, 12}, "ADC clock", 7, false, Qt::AlignLeft | Qt::AlignVCenter);
    Wire(p, {{376, 40}, {470, 40}}, true, pal);
    Arrow(p, {470, 40}, 1, 0);
    Block(p, {470, 4, 186, 86}, kClockFill);
    Text(p, {606, 6, 48, 14}, "OSR", 8, true, Qt::AlignRight | Qt::AlignVCenter);
    Wire(p, {{560, 90}, {560, 99}}, false, pal);
    Arrow(p, {560, 100}, 0, 1);
}

// One reference selector: its three sources, the selector, the buffer (or its bypass) and the
// wire to the converter's reference input.
void PaintReference(QPainter& p, int selector, int lit, bool bufferOn, const QPalette& pal) {
    const double x = kRefLeft[selector];
    for (int k = 0; k < 3; ++k)
        Wire(p, {{x + 42, MidY(RefLabel(selector, k))}, {x + 48, MidY(RefLabel(selector, k))}},
             k == lit, pal);
    Mux(p, {x + 48, 366, 10, 68});
    Wire(p, {{x + 58, 400}, {x + 66, 400}}, false, pal);
    const QColor highlight = pal.color(QPalette::Highlight);
    if (bufferOn) {
        Triangle(p, {x + 66, 388}, {x + 66, 412}, {x + 88, 400}, highlight.lighter(170),
                 Pen(highlight, 2.0));
    } else {
        QPen dashed = Pen(QColor(150, 150, 150), 1.2);
        dashed.setStyle(Qt::DashLine);
        Triangle(p, {x + 66, 388}, {x + 66, 412}, {x + 88, 400}, QColor(238, 238, 238), dashed);
        Wire(p, {{x + 62, 400}, {x + 62, 382}, {x + 92, 382}, {x + 92, 400}}, false, pal);
    }
    Text(p, {x + 64, 446, 40, 18}, selector == 0 ? "VRPS" : "VRNS", 8, true);
    const double pin = selector == 0 ? 530 : 590;
    Wire(p, {{x + 88, 400}, {x + 96, 400}, {x + 96, 352}, {pin, 352}, {pin, 343}}, false, pal);
    Arrow(p, {pin, 343}, 0, -1);
}

void PaintSupplies(QPainter& p) {
    Block(p, {8, 436, 160, 78}, kLdoFill);
    Text(p, {14, 438, 120, 18}, "LDO", 8, true, Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(Pen(kInk, 1.3));
    p.drawLine(QPointF(168, 469), QPointF(186, 469));
    Arrow(p, {190, 469}, 1, 0);
    Block(p, {200, 436, 192, 78}, kRefoFill);
    Text(p, {206, 438, 140, 18}, "Reference out", 8, true, Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, {340, 488, 40, 14}, "REFO", 7, false, Qt::AlignRight | Qt::AlignVCenter);
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kCanvasFill);
    p.drawEllipse(QPointF(385, 495), 3.5, 3.5);
}

void PaintResultArea(QPainter& p) {
    Block(p, {618, 100, 140, 220}, kResultFill);
    Text(p, {618, 102, 140, 14}, "Result", 8, true);
    Block(p, {618, 420, 140, 94}, kResultFill);
    Text(p, {618, 422, 140, 16}, "Temperature", 8, true);
}

} // namespace

void PaintAdcSchematic(QPainter& painter, const AdcSchematicState& state, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Pen(QColor(200, 200, 196), 1.0));
    painter.setBrush(kCanvasFill);
    painter.drawRect(QRectF(0.5, 0.5, kCanvas.width() - 1.0, kCanvas.height() - 1.0));
    PaintInputs(painter, state, palette);
    PaintPga(painter, state, palette);
    PaintGainOffsetAdc(painter, state, palette);
    PaintClock(painter, state, palette);
    PaintReference(painter, 0, state.Vrps, state.VrpsBufferOn, palette);
    PaintReference(painter, 1, state.Vrns, state.VrnsBufferOn, palette);
    PaintSupplies(painter);
    PaintResultArea(painter);
    painter.restore();
}

} // namespace qn
