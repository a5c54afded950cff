// The chip's windows: base form, RAM panel, register panel, ADC panel and the hex entry popup.
// Their grids, switches and keypad come with the register, RAM and ADC panels; for now each
// window exists with its caption so that the main window can place, show and retitle it.
#pragma once

#include <QDialog>
#include <QFont>
#include <QWidget>

namespace qn {

// Holds the shared panel font of the register and RAM grids.
class TQn_BASE : public QWidget {
    Q_OBJECT
  public:
    explicit TQn_BASE(QWidget* parent = nullptr);
    QFont PanelFont;
};

class TQn_RAM : public QWidget {
    Q_OBJECT
  public:
    explicit TQn_RAM(QWidget* parent = nullptr);
};

class TQn_Reg2 : public QWidget {
    Q_OBJECT
  public:
    explicit TQn_Reg2(QWidget* parent = nullptr);
};

class TADCForm : public QWidget {
    Q_OBJECT
  public:
    explicit TADCForm(QWidget* parent = nullptr);
};

class TQnPopSelHex : public QDialog {
    Q_OBJECT
  public:
    explicit TQnPopSelHex(QWidget* parent = nullptr);
};

} // namespace qn
