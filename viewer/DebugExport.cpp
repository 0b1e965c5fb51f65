#include "viewer/DebugExport.h"

#include "segy/PosixFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A short read without a system error: the source shrank during the copy.
const char* const kSourceEndedEarly = "The file ended before the expected size.";
const char* const kDestinationIsSource = "It is the file being exported.";

QString FullPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

QString FileError(const char* format, const QString& path, const QString& reason) {
    return QString::fromLatin1(format).arg(FullPath(path), reason);
}

ExportResult Failure(const char* format, const QString& path, const QString& reason) {
    return {false, FileError(format, path, reason)};
}

// The name may differ in every way (relative, "./", a symbolic or hard link)
// and still be the same file: only the device and inode decide.
bool IsSameFile(const QFile& source, const QString& destinationPath) {
    struct stat sourceStat {};
    struct stat destinationStat {};
    if (::fstat(source.handle(), &sourceStat) != 0)
        return false;
    if (::stat(QFile::encodeName(destinationPath).constData(), &destinationStat) != 0)
        return false;
    return sourceStat.st_dev == destinationStat.st_dev &&
           sourceStat.st_ino == destinationStat.st_ino;
}

// Reads exactly `length` bytes from `offset`; false on a failed or short
// read, with the reason.
bool ReadBlock(QFile& source, const DebugBlock& block, char* buffer, QString& reason) {
    if (!source.seek(block.offset)) {
        reason = source.errorString();
        return false;
    }
    int64_t done = 0;
    while (done < block.length) {
        const qint64 got = source.read(buffer + done, block.length - done);
        if (got < 0) {
            reason = source.errorString();
            return false;
        }
        if (got == 0) {
            reason = QString::fromLatin1(kSourceEndedEarly);
            return false;
        }
        done += got;
    }
    return true;
}

// Writes the whole block. A write that stops part way says why only when it
// is tried again, so the rest is retried until the system refuses it.
bool WriteBlock(QSaveFile& destination, const char* buffer, int64_t length, QString& reason) {
    int64_t done = 0;
    while (done < length) {
        const qint64 written = destination.write(buffer + done, length - done);
        if (written <= 0) {
            reason = destination.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

// Opens the source by the bytes of its name; false with errno set.
bool OpenSource(const std::string& path, QFile& source) {
    const int fd = segy::OpenRegularFile(path);
    if (fd < 0)
        return false;
    if (!source.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

// Why the source could not be opened, in the system's words where it has some.
QString OpenFailureReason(int error) {
    if (error == segy::kNotRegularFile)
        return QString::fromLatin1(segy::kNotRegularFileReason);
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

DebugExportPlan PlanDebugExport(int64_t sourceSize) {
    const int64_t size = std::max<int64_t>(sourceSize, 0);
    const int64_t middle = size / 2;
    DebugExportPlan plan;
    plan.first = {0, std::min(kDebugBlockSize, size)};
    plan.middle = {middle, std::min(kDebugBlockSize, size - middle)};
    return plan;
}

ExportResult ExportDebugFile(const QString& sourcePath, const QString& destinationPath) {
    return ExportDebugFile(QFile::encodeName(sourcePath).toStdString(), destinationPath);
}

ExportResult ExportDebugFile(const std::string& sourceBytes, const QString& destinationPath) {
    std::vector<char> buffer(static_cast<size_t>(kDebugBlockSize));

    const QString sourcePath = QFile::decodeName(QByteArray::fromStdString(sourceBytes));
    QFile source;
    if (!OpenSource(sourceBytes, source))
        return Failure("Cannot open file \"%1\". %2", sourcePath, OpenFailureReason(errno));

    // Writing the debug file over its own source would replace the data the
    // user asked to excerpt.
    if (IsSameFile(source, destinationPath))
        return Failure("Cannot create file \"%1\". %2", destinationPath,
                       QString::fromLatin1(kDestinationIsSource));

    // The copy goes to a temporary file that replaces the destination only
    // once every byte is written, so a failure never leaves half a file.
    QSaveFile destination(destinationPath);
    if (!destination.open(QIODevice::WriteOnly))
        return Failure("Cannot create file \"%1\". %2", destinationPath, destination.errorString());

    const DebugExportPlan plan = PlanDebugExport(source.size());
    for (const DebugBlock& block : {plan.first, plan.middle}) {
        QString reason;
        if (!ReadBlock(source, block, buffer.data(), reason)) {
            destination.cancelWriting();
            return Failure("Cannot read file \"%1\". %2", sourcePath, reason);
        }
        if (!WriteBlock(destination, buffer.data(), block.length, reason)) {
            destination.cancelWriting();
            return Failure("Cannot write file \"%1\". %2", destinationPath, reason);
        }
    }
    if (!destination.commit())
        return Failure("Cannot write file \"%1\". %2", destinationPath, destination.errorString());
    return {true, QString()};
}

void ReportDebugExport(const ExportResult& result, segy::UserMessages& messages) {
    if (result.ok) {
        messages.Beep();
        messages.ShowMessage(kDebugFileCompleteMessage);
    } else {
        messages.ShowMessage(result.message.toStdString());
    }
}
