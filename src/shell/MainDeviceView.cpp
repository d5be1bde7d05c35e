#include "MainDeviceView.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
TRenumberAnswer TMainDeviceView::ConfirmRenumber(int from, int to) {
    return AskRenumber ? AskRenumber(from, to) : ConfirmRenumberBox(from, to);
}
void TMainDeviceView::SetOperationProgress(const TOperationProgress& progress) {
    m_progress.SetText(QString::fromStdString(OperationProgressText(progress)));
}
TRenumberAnswer TMainDeviceView::ConfirmRenumberBox(int from, int to) {
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
