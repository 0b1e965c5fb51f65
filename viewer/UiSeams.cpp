#include "viewer/UiSeams.h"

#include "segy/ByteSource.h"

#include "viewer/Splash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>

QString FileFilter(const QString& caption, const QString& patterns) {
    // The dialog hides the last parenthesised part of each filter and
    // matches by it, so the caption is shown whole, parentheses included.
    return caption + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot())
        return QFileIconProvider::icon(Drive);
    return QFileIconProvider::icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    // Qt's provider names folders and other entries that are no regular
    // file without reading them; a regular file is named by its extension.
    if (!info.isFile())
        return QFileIconProvider::type(info);
    static const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    // One provider for every dialog: a dialog keeps using it while it exists.
    static NameOnlyIconProvider nameOnlyIcons;
    dialog.setIconProvider(&nameOnlyIcons);
    dialog.setWindowTitle(request.title);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(request.filters);
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(request.defaultSuffix);
}

void ConfigureApplication() {
    QApplication::setApplicationName(QStringLiteral("vantrel"));
}

void ShowMessageBox(const QString& text, bool critical) {
    QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

namespace {

QString RunDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

// The open dialog also takes an http(s):// or s3:// address typed into its
// file name field, which a dialog of local files would look for on disk.
class LocationFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    const QString& Location() const { return location_; }

    void accept() override {
        const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = name ? name->text().trimmed() : QString();
        if (segy::IsLocation(typed.toStdString())) {
            location_ = typed;
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

private:
    QString location_;
};

} // namespace

void QtUserInterface::ShowMessage(const QString& text) {
    ShowMessageBox(text);
}

void QtUserInterface::Beep() {
    QApplication::beep();
}

QString QtUserInterface::ChooseOpenFile(QWidget* parent, const FileDialogRequest& request) {
    LocationFileDialog dialog(parent);
    PrepareFileDialog(dialog, request);
    // Qt's own dialog, whose file name field takes an address too.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString chosen = RunDialog(dialog);
    return dialog.Location().isEmpty() ? chosen : dialog.Location();
}

QString QtUserInterface::ChooseSaveFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    PrepareFileDialog(dialog, request);
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
