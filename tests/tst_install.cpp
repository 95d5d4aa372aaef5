#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString AppId = QStringLiteral("org.smeltwork.Admin");

struct Result
{
    int exitCode = -1;
    QByteArray out;
};

Result run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Result result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = process.readAll();
    return result;
}

} // namespace

// Installs the built project into a staging folder as a packager would, checks it with the
// validators that desktops and software centres use, and builds the Debian package.
class InstallTest : public QObject
{
    Q_OBJECT

    QTemporaryDir stage;
    QString staged(const QString &relative) const { return stage.filePath(relative); }

private Q_SLOTS:
    void installsProgramsDesktopEntryIconsAndMetainfo()
    {
        Result result = run(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", stage.path()});
        QVERIFY2(result.exitCode == 0, result.out.constData());
        for (const char *program : {"SmeltworkAdmin", "smeltwork-tool"})
            QVERIFY2(QFileInfo(staged("bin/") + program).isExecutable(), program);
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(staged(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId)));
            QCOMPARE(icon.size(), QSize(size, size));
            QCOMPARE(qAlpha(icon.pixel(0, size - 1)), 0);          // the corner is see-through
            QVERIFY(qAlpha(icon.pixel(size / 2, size / 2)) > 200); // where the tools cross is not
        }

        const QString entry = staged("share/applications/" + AppId + ".desktop");
        result = run(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(result.exitCode == 0 && result.out.isEmpty(), result.out.constData());
        const QSettings desktop(entry, QSettings::IniFormat);
        QVERIFY(QFile::exists(staged("bin/" + desktop.value("Desktop Entry/Exec").toString())));
        QCOMPARE(desktop.value("Desktop Entry/Icon").toString(), AppId);

        const QString metainfo = staged("share/metainfo/" + AppId + ".metainfo.xml");
        result =
            run(QStringLiteral("appstreamcli"), {"validate", "--no-net", "--no-color", metainfo});
        QVERIFY2(result.exitCode == 0, result.out.constData());
        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray xml = file.readAll();
        QVERIFY(xml.contains("<launchable type=\"desktop-id\">" + AppId.toUtf8() + ".desktop<"));
        QVERIFY2(xml.contains("<release version=\"" PROJECT_VERSION "\""),
                 "the newest release in the metainfo is not the project's version");

        // The installed tool runs, and its exit status reaches the shell.
        result = run(staged("bin/smeltwork-tool"), {"--version"});
        QCOMPARE(result.out, QByteArray("smeltwork-tool " PROJECT_VERSION "\n"));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(run(staged("bin/smeltwork-tool"), {"dump", "missing.dat"}).exitCode, 2);
    }

    void debianPackageHoldsEverythingAndNeedsQt()
    {
        QTemporaryDir packages;
        Result result = run(CPACK_COMMAND, {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake",
                                            "-B", packages.path()});
        QVERIFY2(result.exitCode == 0, result.out.constData());
        const QStringList debs = QDir(packages.path()).entryList({"*.deb"});
        QCOMPARE(debs.size(), 1);
        const QString deb = packages.filePath(debs.first());
        result = run(QStringLiteral("dpkg-deb"), {"--field", deb, "Depends"});
        for (const char *runtime :
             {"libqt6core6", "libqt6gui6", "libqt6widgets6", "qt6-qpa-plugins"})
            QVERIFY2(result.out.contains(runtime), result.out.constData());
        result = run(QStringLiteral("dpkg-deb"), {"--contents", deb});
        const QString share = QStringLiteral("./usr/share/");
        for (const QString &file :
             QStringList{"./usr/bin/SmeltworkAdmin", "./usr/bin/smeltwork-tool",
                         share + "applications/" + AppId + ".desktop",
                         share + "metainfo/" + AppId + ".metainfo.xml",
                         share + "icons/hicolor/256x256/apps/" + AppId + ".png"})
            QVERIFY2(result.out.contains(file.toUtf8()), qPrintable(file));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
