#include "testsupport.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace {
QStringList *capturedLines = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (!capturedLines)
        return;
    const char *prefix = type == QtDebugMsg ? "D: " : type == QtInfoMsg ? "I: " : "W: ";
    capturedLines->append(QLatin1String(prefix) + text);
}

QStringList stripped(const QStringList &lines, const QString &prefix)
{
    QStringList out;
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            out.append(line.mid(prefix.size()));
    }
    return out;
}
} // namespace

TraceCapture::TraceCapture()
{
    delete capturedLines;
    capturedLines = new QStringList;
    m_previous = qInstallMessageHandler(captureHandler);
}

TraceCapture::~TraceCapture()
{
    qInstallMessageHandler(m_previous);
    delete capturedLines;
    capturedLines = nullptr;
}

QStringList TraceCapture::lines() const
{
    return capturedLines ? *capturedLines : QStringList();
}

QStringList TraceCapture::debugLines() const
{
    return stripped(lines(), QStringLiteral("D: "));
}

QStringList TraceCapture::warningLines() const
{
    return stripped(lines(), QStringLiteral("W: "));
}

void TraceCapture::clear()
{
    if (capturedLines)
        capturedLines->clear();
}

ScratchFolder::ScratchFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

ScratchFolder::~ScratchFolder()
{
    QDir::setCurrent(m_previous);
}

void ScratchFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file.fileName()));
}

QByteArray ScratchFolder::readFile(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ScratchFolder::exists(const QString &name) const
{
    return QFile::exists(filePath(name));
}

void whenModalOpens(const std::function<void(QWidget *)> &drive, int timeoutMs)
{
    auto *poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, drive, started, timeoutMs] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (started->elapsed() > timeoutMs) {
                poll->deleteLater();
                qWarning("whenModalOpens: no modal widget opened");
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        QPointer<QWidget> guard(modal);
        drive(modal);
        if (guard && guard->isVisible()) {
            // Left open by a failed check: close it so the nested loop ends.
            QTimer::singleShot(timeoutMs, guard, [guard] {
                if (!guard || !guard->isVisible())
                    return;
                if (auto *dialog = qobject_cast<QDialog *>(guard.data()))
                    dialog->reject();
                else
                    guard->close();
            });
        }
    });
    poll->start();
}

QByteArray fromHex(const char *hex)
{
    QByteArray clean(hex);
    clean.replace(' ', "").replace('.', "").replace("\xc2\xb7", "");
    return QByteArray::fromHex(clean);
}
