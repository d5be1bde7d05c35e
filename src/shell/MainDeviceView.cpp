#include "MainDeviceView.h"

#include <QApplication>
#include <QMessageBox>

#include "AppErrorReport.h"
#include "fMain.h"
#include "fProgress.h"

void TMainDeviceView::SetProgressPosition(int position) {
    m_progress.SetPosition(position);
}
void TMainDeviceView::SetProgressMin(int minimum) {
    m_progress.SetMin(minimum);
}
void TMainDeviceView::SetProgressMax(int maximum) {
    m_progress.SetMax(maximum);
}
void TMainDeviceView::SetProgressStep(int step) {
    m_progress.SetStep(step);
}
void TMainDeviceView::StepProgressBar() {
    m_progress.StepIt();
}
void TMainDeviceView::ShowProgress() {
    m_progress.ShowProgress();
}
void TMainDeviceView::HideProgress() {
    m_progress.HideProgress();
}
void TMainDeviceView::SetVersionText(const std::string& version) {
    m_main.SetStatusText(2, version);
}
void TMainDeviceView::ProcessMessages() {
    QApplication::processEvents();
}
bool TMainDeviceView::CancelRequested() {
    return m_progress.CancelRequested();
}
void TMainDeviceView::ResetCancel() {
    m_progress.ResetCancel();
}
bool TMainDeviceView::ConfirmRenumber(int from, int to) {
    return AskRenumber ? AskRenumber(from, to) : ConfirmRenumberBox(from, to);
}
bool TMainDeviceView::ConfirmRenumberBox(int from, int to) {
    return QMessageBox::question(&m_main, ToolTitle(),
                                 QString::fromUtf8("Номер объекта модуля будет изменён с %1 на %2. "
                                                   "Продолжить?")
                                     .arg(from)
                                     .arg(to),
                                 QMessageBox::Yes | QMessageBox::No,
                                 // Enter alone must not renumber a module.
                                 QMessageBox::No) == QMessageBox::Yes;
}
