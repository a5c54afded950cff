// The main window's "Remote control…": the server over the same bench the windows use, the
// windows following what remote clients do, and the status bar's remote panel.
#include "shell/ui/MainPanel.h"

#include "analysis/ui/AnxADC.h"
#include "shell/ui/RemoteControlDialog.h"

namespace qn {

void TMainPanel::RemoteControlClick() {
    RemoteControlDialog dialog(
        {remote_ != nullptr && remote_->Listening(), remoteAddress_, remotePort_}, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const RemoteChoice choice = dialog.Choice();
    if (!choice.On) return StopRemote();
    const std::string why = StartRemote(choice.Address, choice.Port);
    if (!why.empty())
        Tell("Remote control could not listen on " + choice.Address + " port " +
             std::to_string(choice.Port) + ": " + why);
}

// A remote chip selection runs the setup dialog's; a remote capture ends as "Catch ADC" does,
// with the analysis window showing the new store.
std::string TMainPanel::StartRemote(const std::string& address, uint16_t port) {
    if (remote_ == nullptr) {
        remoteBench_ = std::make_unique<ShellRemoteBench>(
            bench_, RemoteBenchHooks{[this](uint16_t index) { return SelectChip(index); },
                                     [this] {
                                         AnxADC->ElapsedMs = bench_.Capture.ElapsedMs;
                                         AnxADC->Rates = bench_.Capture.Rates;
                                         AnxADC->ShowResults();
                                         AnxADC->ChartFun(bench_.Samples().ChartCount);
                                         AnxADC->RefreshNoiseViews();
                                     }});
        remote_ = std::make_unique<RemoteServer>(*remoteBench_);
        remote_->Changed = [this] { ShowRemoteState(); };
    }
    remoteAddress_ = address;
    remotePort_ = port;
    return remote_->Start(address, port);
}

void TMainPanel::StopRemote() {
    if (remote_ != nullptr) remote_->Stop();
}

void TMainPanel::ShowRemoteState() {
    const std::string text = remote_ != nullptr ? remote_->StatusText() : std::string();
    RemotePanel->setText(QString::fromStdString(text));
    RemotePanel->setVisible(!text.empty());
}

} // namespace qn
