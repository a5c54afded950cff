// The ADC panel's drawing of the chip's analog front end, and where each control sits on it. All
// places are in the drawing's own units (a 760 × 520 canvas); the panel scales them to its size.
#pragma once

#include <QRect>
#include <QSize>

class QPainter;
class QPalette;

namespace qn {

namespace adc_layout {

inline constexpr QSize kCanvas{760, 520};
inline constexpr int kLineP = 121; // the positive signal path, from the INP multiplexer
inline constexpr int kLineN = 317; // the negative signal path, from the INN multiplexer

constexpr QRect InpLabel(int i) {
    return {8, 50 + 18 * i, 50, 16};
}
constexpr QRect InnLabel(int i) {
    return {8, 246 + 18 * i, 50, 16};
}
// Clock labels LOSCS0..LOSCS3 ("/15", "/5", "327KHz", "1MHZ") drawn top to bottom from
// "327KHz": label k sits on row (k + 2) mod 4.
constexpr QRect ClockLabel(int k) {
    return {296, 6 + 20 * ((k + 2) % 4), 56, 16};
}
// Reference selector labels ("V12", "VDDA"/"VSSA", "REFP"/"REFN") of selector 0 (VRPS) or 1
// (VRNS).
inline constexpr int kRefLeft[2] = {404, 516};
constexpr QRect RefLabel(int selector, int k) {
    return {kRefLeft[selector], 372 + 20 * k, 42, 16};
}
constexpr QRect RefCombo(int selector) {
    return {kRefLeft[selector], 444, 60, 22};
}

inline constexpr QRect kInpCombo{50, 20, 76, 22};
inline constexpr QRect kInnCombo{50, 398, 76, 22};
inline constexpr QRect kEnop{165, 86, 64, 22};
inline constexpr QRect kPgaGainText{160, 134, 90, 18};
inline constexpr QRect kPgaCombo{165, 286, 76, 22};
inline constexpr QRect kAdgnCombo{313, 196, 64, 22};
inline constexpr QRect kAdgnText{306, 224, 78, 18};
inline constexpr QRect kDcCombo{408, 196, 74, 22};
inline constexpr QRect kDcText{402, 224, 86, 18};
inline constexpr QRect kClockCombo{378, 52, 80, 22};
inline constexpr QRect kOsrCombo{478, 22, 64, 22};
inline constexpr QRect kHs{550, 22, 52, 22};
inline constexpr QRect kOsrText{478, 56, 170, 18};
inline constexpr QRect kEnadc{524, 146, 72, 24};
inline constexpr QRect kOsm{524, 176, 72, 24};
inline constexpr QRect kFrb{524, 246, 72, 24};
inline constexpr QRect kFrbText{514, 276, 92, 18};
inline constexpr QRect kAdcText{628, 118, 128, 28};
inline constexpr QRect kModeCombo{628, 154, 60, 22};
inline constexpr QRect kWidthCombo{696, 154, 60, 22};
inline constexpr QRect kAdcRead{628, 184, 128, 26};
inline constexpr QRect kReading{628, 214, 128, 26};
inline constexpr QRect kIrqen{628, 252, 64, 22};
inline constexpr QRect kIrqNote{622, 278, 136, 16};
inline constexpr QRect kEnobNote{622, 294, 136, 16};
inline constexpr QRect kTempRead{628, 440, 74, 24};
inline constexpr QRect kTempText{706, 440, 50, 24};
inline constexpr QRect kTs{706, 470, 50, 22};
inline constexpr QRect kEnldo{16, 458, 64, 22};
inline constexpr QRect kLdoCombo{86, 458, 74, 22};
inline constexpr QRect kLdoText{86, 484, 74, 18};
inline constexpr QRect kEnrefo{208, 458, 66, 22};
inline constexpr QRect kRefos{280, 458, 62, 22};
inline constexpr QRect kRefoText{346, 460, 42, 18};

} // namespace adc_layout

// What the drawing shows of the panel's state: which wires carry the selection and how the
// switches and buffers stand.
struct AdcSchematicState {
    int Inp = 0;               // selected INP input, 0..7
    int Inn = 0;               // selected INN input, 0..7
    int Clock = 0;             // highlighted clock label LOSCS0..LOSCS3
    int Vrps = 0;              // highlighted VRPS label: 0 "V12", 1 "VDDA", 2 "REFP"
    int Vrns = 0;              // highlighted VRNS label: 0 "V12", 1 "VSSA", 2 "REFN"
    bool BypassClosed = false; // OneGain0on / OneGain1on: the PGA bypassed at gain 1
    bool VrpsBufferOn = false; // VERBUFFon0, else VERBUFFoff0
    bool VrnsBufferOn = false; // VERBUFFon1, else VERBUFFoff1
    bool AdcOn = false;        // ENADC set: the converter block is drawn active
};

// Paints the front end on the canvas (in canvas units; the painter carries any scaling).
void PaintAdcSchematic(QPainter& painter, const AdcSchematicState& state, const QPalette& palette);

} // namespace qn
