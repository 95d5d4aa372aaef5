#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Installs the built project into a staging folder, as a packager would, and checks what a
// desktop finds there; then builds the Debian package and reads its control data.
class InstallTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFileIsInstalled_data();
    void everyFileIsInstalled();
    void iconsHaveTheirThemeSize_data();
    void iconsHaveTheirThemeSize();
    void desktopEntryValidatesAndNamesTheProgram();
    void metainfoValidates();
    void installedToolRuns();
    void debianPackageDependsOnQtRuntime();

private:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
    };
    static Result run(const QString &program, const QStringList &arguments);
    QString staged(const QString &relative) const { return m_stage.filePath(relative); }

    QTemporaryDir m_stage;
};

static const QString AppId = QStringLiteral("org.smeltwork.Admin");
static const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

InstallTest::Result InstallTest::run(const QString &program, const QStringList &arguments)
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

void InstallTest::initTestCase()
{
    QVERIFY(m_stage.isValid());
    const Result install =
        run(QStringLiteral(CMAKE_COMMAND), {"--install", BUILD_DIR, "--prefix", m_stage.path()});
    QVERIFY2(install.exitCode == 0, install.out.constData());
}

void InstallTest::everyFileIsInstalled_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("program") << "bin/SmeltworkAdmin";
    QTest::newRow("tool") << "bin/smeltwork-tool";
    QTest::newRow("desktop entry") << "share/applications/" + AppId + ".desktop";
    QTest::newRow("metainfo") << "share/metainfo/" + AppId + ".metainfo.xml";
    for (const int size : IconSizes)
        QTest::addRow("icon %d", size)
            << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
}

void InstallTest::everyFileIsInstalled()
{
    QFETCH(QString, file);
    QVERIFY2(QFile::exists(staged(file)), qPrintable(file));
    if (file.startsWith(QLatin1String("bin/")))
        QVERIFY(QFileInfo(staged(file)).isExecutable());
}

void InstallTest::iconsHaveTheirThemeSize_data()
{
    QTest::addColumn<int>("size");
    for (const int size : IconSizes)
        QTest::addRow("%d", size) << size;
}

void InstallTest::iconsHaveTheirThemeSize()
{
    QFETCH(int, size);
    const QImage icon(
        staged(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId)));
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    QCOMPARE(qAlpha(icon.pixel(0, size - 1)), 0);          // the corner is see-through
    QVERIFY(qAlpha(icon.pixel(size / 2, size / 2)) > 200); // where the tools cross is not
}

void InstallTest::desktopEntryValidatesAndNamesTheProgram()
{
    const QString entry = staged("share/applications/" + AppId + ".desktop");
    const Result validate = run(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(validate.exitCode == 0 && validate.out.isEmpty(), validate.out.constData());

    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    QVERIFY(QFile::exists(staged("bin/" + desktop.value("Exec").toString())));
    QCOMPARE(desktop.value("Icon").toString(), AppId);
}

void InstallTest::metainfoValidates()
{
    const QString metainfo = staged("share/metainfo/" + AppId + ".metainfo.xml");
    const Result validate =
        run(QStringLiteral("appstreamcli"), {"validate", "--no-net", "--no-color", metainfo});
    QVERIFY2(validate.exitCode == 0, validate.out.constData());

    QFile file(metainfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    QVERIFY(xml.contains("<id>" + AppId.toUtf8() + "</id>"));
    QVERIFY(xml.contains("<launchable type=\"desktop-id\">" + AppId.toUtf8() + ".desktop<"));
    QVERIFY2(xml.contains("<release version=\"" PROJECT_VERSION "\""),
             "the newest release in the metainfo is not the project's version");
}

void InstallTest::installedToolRuns()
{
    const Result version = run(staged("bin/smeltwork-tool"), {"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("smeltwork-tool " PROJECT_VERSION "\n"));
}

void InstallTest::debianPackageDependsOnQtRuntime()
{
    QTemporaryDir packages;
    const Result cpack =
        run(QStringLiteral(CPACK_COMMAND),
            {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake", "-B", packages.path()});
    QVERIFY2(cpack.exitCode == 0, cpack.out.constData());
    const QStringList debs = QDir(packages.path()).entryList({"*.deb"});
    QCOMPARE(debs.size(), 1);
    const QString deb = packages.filePath(debs.first());

    const Result depends = run(QStringLiteral("dpkg-deb"), {"--field", deb, "Depends"});
    QCOMPARE(depends.exitCode, 0);
    for (const char *runtime : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "qt6-qpa-plugins"})
        QVERIFY2(depends.out.contains(runtime), depends.out.constData());

    const Result contents = run(QStringLiteral("dpkg-deb"), {"--contents", deb});
    QCOMPARE(contents.exitCode, 0);
    for (const QString &file :
         {QStringLiteral("./usr/bin/SmeltworkAdmin"), QStringLiteral("./usr/bin/smeltwork-tool"),
          "./usr/share/applications/" + AppId + ".desktop",
          "./usr/share/metainfo/" + AppId + ".metainfo.xml",
          "./usr/share/icons/hicolor/256x256/apps/" + AppId + ".png"})
        QVERIFY2(contents.out.contains(file.toUtf8()), qPrintable(file));
}

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
