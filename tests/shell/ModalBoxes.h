// Answers the modal boxes a test's code opens, so that they can be checked without a person.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

// Runs `open`, which shows a modal message box; the box is closed with Escape (its safe answer)
// once it shows, and its title is returned.
inline QString TitleOfModalBox(const std::function<void()>& open) {
    QString title = "(no box)";
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->reject();
        }
    });
    watch.start();
    open();
    return title;
}
