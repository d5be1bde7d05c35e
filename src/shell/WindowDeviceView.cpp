#include "shell/WindowDeviceView.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "shell/AppErrorReport.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

void TWindowDeviceView::ShowPendingProgress() {
    if (m_pendingPosition) {
        m_progress.SetPosition(*m_pendingPosition);
        m_pendingPosition.reset();
    }
    for (; m_pendingSteps > 0; --m_pendingSteps) {
        m_progress.StepIt();
    }
    if (m_pendingText) {
        m_progress.SetText(*m_pendingText);
        m_pendingText.reset();
    }
}

void TWindowDeviceView::SetProgressPosition(int position) {
    m_pendingPosition = position;
    m_pendingSteps = 0;
}
void TWindowDeviceView::SetProgressMin(int minimum) {
    ShowPendingProgress();
    m_progress.SetMin(minimum);
}
void TWindowDeviceView::SetProgressMax(int maximum) {
    ShowPendingProgress();
    m_progress.SetMax(maximum);
}
void TWindowDeviceView::SetProgressStep(int step) {
    ShowPendingProgress();
    m_progress.SetStep(step);
}
void TWindowDeviceView::StepProgressBar() {
    ++m_pendingSteps;
}
void TWindowDeviceView::ShowProgress() {
    if (!m_progress.isVisible()) {
        ShowPendingProgress();
    }
    m_progress.ShowProgress();
}
void TWindowDeviceView::HideProgress() {
    ShowPendingProgress();
    m_progress.HideProgress();
}
void TWindowDeviceView::SetVersionText(const std::string& version) {
    m_main.SetStatusText(2, version);
}
void TWindowDeviceView::ProcessMessages() {
    ShowPendingProgress();
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
    m_pendingText = QString::fromStdString(OperationProgressText(progress));
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
