#include "app/QtDesktop.h"

#include "app/ControlBinder.h"
#include "platform/PathMapper.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

QStringList qList(const std::vector<std::string> &items)
{
    QStringList list;
    for (const std::string &item : items)
        list << q(item);
    return list;
}

QMessageBox::Icon qtIcon(Desktop::Icon icon)
{
    switch (icon) {
    case Desktop::Icon::Information: return QMessageBox::Information;
    case Desktop::Icon::Warning: return QMessageBox::Warning;
    case Desktop::Icon::Error: return QMessageBox::Critical;
    case Desktop::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::string qtNameFilter(const Desktop::FileFilter &filter)
{
    std::string pattern;
#ifdef _WIN32
    pattern = filter.pattern;
#else
    for (char c : filter.pattern) {
        if (c == ';') {
            pattern += ' ';
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            pattern += '[';
            pattern += char(std::tolower(static_cast<unsigned char>(c)));
            pattern += char(std::toupper(static_cast<unsigned char>(c)));
            pattern += ']';
        } else {
            pattern += c;
        }
    }
#endif
    return filter.description + " (" + pattern + ")";
}

void QtDesktop::showMessage(const std::string &text, Icon icon, const std::string &caption)
{
    QMessageBox box(qtIcon(icon), q(caption), q(text), QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::askYesNo(const std::string &text, const std::string &caption)
{
    QMessageBox box(QMessageBox::Warning, q(caption), q(text), QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDesktop::chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                                     const std::string &defaultName)
{
    QFileDialog dialog(QApplication::activeWindow(), q(title));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The filter shows its description ("Rebuilder.inf"), not the pattern that makes it match
    // in any letter case.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList nameFilters;
    for (const FileFilter &filter : filters)
        nameFilters << q(qtNameFilter(filter));
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    // Each chooser starts where the user last found a file in this run.
    if (!m_lastFolder.empty())
        dialog.setDirectory(q(m_lastFolder));
    if (!defaultName.empty())
        dialog.selectFile(q(defaultName));
    if (runChildDialog(nullptr, dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    m_lastFolder = QFileInfo(chosen).absolutePath().toStdString();
    return QDir::toNativeSeparators(chosen).toStdString();
}

bool QtDesktop::startProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    // A Windows player outside Windows starts through Wine; the caller has put its path
    // arguments in the form the program reads.
    const ProgramStart start = wineCommand(program, arguments);
    return QProcess::startDetached(q(start.program), qList(start.arguments));
}

bool QtDesktop::openUrl(const std::string &url)
{
    const QString text = q(url);
    const QUrl target = QFileInfo::exists(text) ? QUrl::fromLocalFile(text) : QUrl::fromUserInput(text);
    return QDesktopServices::openUrl(target);
}

Desktop::EncoderResult QtDesktop::runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                                             const std::string &workingFolder, bool minimized)
{
    // Window show states are a Windows matter; elsewhere the encoder has no window to minimize.
    (void)minimized;
    const ProgramStart start = wineCommand(program, arguments);
    QProcess process;
    process.setProgram(q(start.program));
    process.setArguments(qList(start.arguments));
    process.setWorkingDirectory(q(workingFolder));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return EncoderResult::CouldNotStart;
    // Wait in short steps and keep the window alive in between, so the log repaints and the
    // Abort button can be pressed (it takes effect after this encode).
    while (!process.waitForFinished(10)) {
        if (process.state() == QProcess::NotRunning)
            break;
        QApplication::processEvents();
    }
    return EncoderResult::Finished;
}

void QtDesktop::processEvents()
{
    QApplication::processEvents();
}

void QtDesktop::exitProgram(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

std::string settingsFolder()
{
#ifdef _WIN32
    const QString folder = QCoreApplication::applicationDirPath();
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#endif
    QDir().mkpath(folder);
    return QDir::toNativeSeparators(folder).toStdString();
}
