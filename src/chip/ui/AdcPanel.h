// The ADC panel TADCForm: the chip's analog front end as a schematic with its controls.
#pragma once

#include "chip/AdcPanelState.h"
#include "chip/ChipPanelContext.h"

#include <QWidget>

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace qn {

class TADCForm : public QWidget {
    Q_OBJECT
  public:
    TADCForm(const ChipPanelContext& context, const AdcPanelLink& link, QWidget* parent = nullptr);

    // Re-reads every field from the image and the results, and updates every control.
    void DataUpdate();
    // The link timer's continuous read produced a new result text.
    void ShowAdcResult(const std::string& text);
    // After a chip selection: controls of the fields the chip defines, names of combo items.
    void ApplyChip();

    // What the controls and the drawing show since the last data update.
    const AdcPanelView& View() const { return view_; }

    // Selectors, one per field.
    QComboBox* TXINP = nullptr;
    QComboBox* TXINN = nullptr;
    QComboBox* TXPGAGN = nullptr;
    QComboBox* TXADGN = nullptr;
    QComboBox* TXDCSET = nullptr;
    QComboBox* COMOSR = nullptr;
    QComboBox* COMOSCS = nullptr;
    QComboBox* TXLDO = nullptr;
    QComboBox* COMVRPS = nullptr;
    QComboBox* COMVRNS = nullptr;
    // Switch panels, one per one-bit field.
    QPushButton* PHS = nullptr;     // "HS"
    QPushButton* PENADC = nullptr;  // "ENADC"
    QPushButton* PFRb = nullptr;    // "FRb"
    QPushButton* PREFOS = nullptr;  // "REFOS"
    QPushButton* PENLDO = nullptr;  // "ENLDO"
    QPushButton* PENREFO = nullptr; // "ENREFO"
    QPushButton* PENOP = nullptr;   // "ENOP"
    QPushButton* POSM = nullptr;    // "OSM"
    QPushButton* PIRQEN = nullptr;  // "IRQEN"
    QPushButton* PTS = nullptr;     // "TS", kept hidden
    // Selection labels.
    std::array<QLabel*, 8> LINP{};
    std::array<QLabel*, 8> LINN{};
    std::array<QLabel*, 4> LOSCS{}; // "/15", "/5", then the chip file's OSCS 0 and 1 names
    std::array<QLabel*, 3> LVRP{};  // LV12P, LVDDAP, LREFP
    std::array<QLabel*, 3> LVRN{};  // LV12N, LVDDAN ("VSSA"), LREFN
    // Value texts.
    QLabel* TXPGAGNS = nullptr;
    QLabel* TXADGNS = nullptr;
    QLabel* TXDCSETS = nullptr;
    QLabel* TXOSR = nullptr;
    QLabel* LLDO = nullptr;
    QLabel* TXREFOS = nullptr;
    QLabel* TXFRb = nullptr;
    // Results.
    QLabel* TXADC = nullptr;
    QLabel* TXTEMP = nullptr;
    QComboBox* TXADCOMD = nullptr;  // "HEX", "DEC"
    QComboBox* TXADCObit = nullptr; // "8" … "23"
    QPushButton* BADCRead = nullptr;
    QPushButton* BRDADC = nullptr; // "STOP" / "Reading"
    QPushButton* BTempRead = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // A control and its place on the drawing's canvas.
    struct Placed {
        QWidget* Control;
        QRect Canvas;
        QFont Font;
    };

    void BuildSelectors();
    void BuildSwitches();
    void BuildLabels();
    void BuildResults();
    QComboBox* NewCombo(const char* name, const QRect& at);
    QPushButton* NewSwitch(const char* name, const char* caption, const QRect& at);
    QPushButton* NewButton(const char* name, const char* caption, const QRect& at);
    QLabel* NewLabel(const QString& name, const QString& text, const QRect& at);
    void Place(QWidget* control, const QRect& at);

    void SelectorChanged(std::string_view field, QComboBox* combo, int item);
    void SwitchClicked(std::string_view field);
    void ContinuousClicked();
    void StopReading();
    void ShowImage();

    AdcFieldView Field(std::string_view field) const;
    void ShowSelectors();
    void ShowSwitches();
    void ShowLabels();
    void Mark(QLabel* label, bool selected) const;
    void Mark(QPushButton* button, bool on) const;

    ChipPanelContext context_;
    AdcPanelLink link_;
    AdcPanelView view_;
    std::vector<std::pair<std::string_view, QComboBox*>> selectors_;
    std::vector<std::pair<std::string_view, QPushButton*>> switches_;
    std::vector<Placed> placed_;
    double scale_ = 1.0;
    bool refreshed_ = false; // a refresh or a result has been shown since creation
};

} // namespace qn
