#include "viewer/UiSeams.h"

#include "viewer/Splash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace {

void PrepareDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setWindowTitle(request.title);
    dialog.setNameFilters(request.filters);
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(request.defaultSuffix);
}

QString RunDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

void QtUserInterface::ShowMessage(const QString& text) {
    // An empty title lets the platform show the application's title.
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtUserInterface::Beep() {
    QApplication::beep();
}

QString QtUserInterface::ChooseOpenFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    PrepareDialog(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunDialog(dialog);
}

QString QtUserInterface::ChooseSaveFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    PrepareDialog(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    return RunDialog(dialog);
}

void QtUserInterface::ShowWelcome(QWidget* owner) {
    TSplashFrm splash(owner, *this);
    splash.exec();
}

void QtUserInterface::OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}
