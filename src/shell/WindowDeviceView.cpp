#include "shell/WindowDeviceView.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "shell/AppErrorReport.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

void TWindowDeviceView::SetProgressPosition(int position) {
    m_progress.SetPosition(position);
}
void TWindowDeviceView::SetProgressMin(int minimum) {
    m_progress.SetMin(minimum);
}
void TWindowDeviceView::SetProgressMax(int maximum) {
    m_progress.SetMax(maximum);
}
void TWindowDeviceView::SetProgressStep(int step) {
    m_progress.SetStep(step);
}
void TWindowDeviceView::StepProgressBar() {
    m_progress.StepIt();
}
void TWindowDeviceView::ShowProgress() {
    m_progress.ShowProgress();
}
void TWindowDeviceView::HideProgress() {
    m_progress.HideProgress();
}
void TWindowDeviceView::SetVersionText(const std::string& version) {
    m_main.SetStatusText(2, version);
}
void TWindowDeviceView::ProcessMessages() {
    QApplication::processEvents();
}
bool TWindowDeviceView::CancelRequested() {
    return m_progress.CancelRequested();
}
void TWindowDeviceView::ResetCancel() {
    m_progress.ResetCancel();
}
TRenumberAnswer TWindowDeviceView::ConfirmRenumber(int from, int to) {
    return AskRenumber ? AskRenumber(from, to) : ConfirmRenumberBox(from, to);
}
void TWindowDeviceView::SetOperationProgress(const TOperationProgress& progress) {
    m_progress.SetText(QString::fromStdString(OperationProgressText(progress)));
}
TRenumberAnswer TWindowDeviceView::ConfirmRenumberBox(int from, int to) {
    QMessageBox box(
        QMessageBox::Question, ToolTitle(),
        QString::fromUtf8("Номер объекта модуля будет изменён с %1 на %2.").arg(from).arg(to),
        QMessageBox::NoButton, &m_main);
    box.setInformativeText(
        QString::fromUtf8("Записать настройки с новым номером, оставить номер %1 или ничего не "
                          "записывать?")
            .arg(from));
    QPushButton* renumber =
        box.addButton(QString::fromUtf8("Записать с номером %1").arg(to), QMessageBox::AcceptRole);
    QPushButton* keep =
        box.addButton(QString::fromUtf8("Оставить номер %1 и записать остальное").arg(from),
                      QMessageBox::ActionRole);
    QPushButton* cancel = box.addButton(QString::fromUtf8("Отмена"), QMessageBox::RejectRole);
    // Enter alone must not renumber a module, nor write anything.
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == renumber) {
        return TRenumberAnswer::Renumber;
    }
    if (box.clickedButton() == keep) {
        return TRenumberAnswer::KeepNumber;
    }
    return TRenumberAnswer::Cancel;
}
