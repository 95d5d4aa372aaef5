#include "checks.h"
#include "testsupport.h"

#include <QTest>

Q_DECLARE_METATYPE(SmeltFile)

class ToolCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataFileRules_data();
    void dataFileRules();
    void helpFileRules_data();
    void helpFileRules();
    void bodyTags_data();
    void bodyTags();
    void topicIdValue_data();
    void topicIdValue();
};

namespace {

QString text(const char *latin1)
{
    return latin1 ? QString::fromUtf8(latin1) : QString();
}

Req item(const char *name, const char *multiplier, qint32 id)
{
    return Req{text(name), text(multiplier), 0, id};
}

Req skill(const char *name, const char *multiplier, qint32 id = 0)
{
    return Req{text(name), text(multiplier), 1, id};
}

// One group "Ores" holding one process "Ingot" (QL 100 to 1) with the given requirements.
SmeltFile oneProcess(const QList<Req> &reqs, quint8 maxQL = 100, quint8 minQL = 1)
{
    SmeltFile file;
    file.groups = {ProcGroup{text("Ores"), {Proc{text("Ingot"), maxQL, minQL, reqs}}}};
    return file;
}

SmeltFile topics(const QList<HelpTopic> &list)
{
    SmeltFile file;
    file.kind = SmeltFile::Help;
    file.topics = list;
    return file;
}

HelpTopic topic(const char *id, const char *body = "")
{
    return HelpTopic{text(id), text("Header"), text(body)};
}

} // namespace

void ToolCheckTest::dataFileRules_data()
{
    QTest::addColumn<SmeltFile>("file");
    QTest::addColumn<QStringList>("problems");

    const Req ore = item("Ore", "2", 40211);
    const Req smelting = skill("Smelting", "1");
    QTest::newRow("a sound tree") << oneProcess({ore, smelting, item("Crucible", "0", 40012),
                                                 skill("Luck", ""), item("Sand", " 0.5 ", 7)})
                                  << QStringList();
    QTest::newRow("special process") << oneProcess({ore}, 50, 50) << QStringList();
    QTest::newRow("minimum QL above maximum")
        << oneProcess({ore}, 10, 200)
        << QStringList{"$.groups[0].procs[0]: minimum QL 200 is above maximum QL 10"};

    SmeltFile empty = oneProcess({item(nullptr, "1", 5), skill("", "1")});
    empty.groups[0].name = QString();
    empty.groups[0].procs[0].name = QStringLiteral("");
    QTest::newRow("empty names, null or not")
        << empty
        << QStringList{"$.groups[0].name: empty name", "$.groups[0].procs[0].name: empty name",
                       "$.groups[0].procs[0].reqs[0].name: empty name",
                       "$.groups[0].procs[0].reqs[1].name: empty name"};

    SmeltFile repeats = oneProcess({ore, smelting, ore, skill("ore", "1")});
    repeats.groups.append(repeats.groups.at(0));
    repeats.groups[1].procs.append(repeats.groups[1].procs.at(0));
    repeats.groups[1].procs[1].reqs.clear();
    QTest::newRow("sibling names that repeat")
        << repeats
        << QStringList{
               "$.groups[0].procs[0].reqs[2].name: name \"Ore\" repeats "
               "$.groups[0].procs[0].reqs[0].name",
               "$.groups[1].name: name \"Ores\" repeats $.groups[0].name",
               "$.groups[1].procs[0].reqs[2].name: name \"Ore\" repeats "
               "$.groups[1].procs[0].reqs[0].name",
               "$.groups[1].procs[1].name: name \"Ingot\" repeats $.groups[1].procs[0].name"};

    QTest::newRow("requirement types other than 0 or 1")
        << oneProcess({Req{text("Odd"), text("1"), 2, 9}, Req{text("Odder"), text("1"), -1, 9}})
        << QStringList{"$.groups[0].procs[0].reqs[0].type: type 2 is neither item/tool (0) nor "
                       "skill (1)",
                       "$.groups[0].procs[0].reqs[1].type: type 255 is neither item/tool (0) nor "
                       "skill (1)"};
    QTest::newRow("skill with an id")
        << oneProcess({skill("Smelting", "1", -1)})
        << QStringList{"$.groups[0].procs[0].reqs[0].id: skill with id -1 (skills carry 0)"};
    QTest::newRow("item with id 0")
        << oneProcess({item("Ore", "1", 0)})
        << QStringList{"$.groups[0].procs[0].reqs[0].id: item/tool with id 0"};
    QTest::newRow("multipliers fixed only by not being numbers")
        << oneProcess({item("A", "1,5", 1), item("B", "x2", 2), item("C", "0", 3),
                       item("D", nullptr, 4), item("E", "  ", 5), item("F", "1e999", 6),
                       item("G", "0.0", 7)})
        << QStringList{"$.groups[0].procs[0].reqs[0].multiplier: \"1,5\" is not a number, so the "
                       "requirement counts as fixed",
                       "$.groups[0].procs[0].reqs[1].multiplier: \"x2\" is not a number, so the "
                       "requirement counts as fixed"};
}

void ToolCheckTest::dataFileRules()
{
    QFETCH(SmeltFile, file);
    QFETCH(QStringList, problems);
    QCOMPARE(checkFile(file), problems);
}

void ToolCheckTest::helpFileRules_data()
{
    QTest::addColumn<SmeltFile>("file");
    QTest::addColumn<QStringList>("problems");

    QTest::newRow("sound topics") << topics({topic("1"), topic("1.1"), topic("1.2"), topic("2"),
                                             topic("HLP_"), topic("-1.5"), topic("2.5")})
                                  << QStringList();
    QTest::newRow("repeated ids, null and empty alike")
        << topics({topic("1"), topic("2"), topic("1"), HelpTopic{}, topic("")})
        << QStringList{"$.topics[2].id: id \"1\" repeats $.topics[0].id",
                       "$.topics[4].id: id \"\" repeats $.topics[3].id"};
    QTest::newRow("sub-topics before any top-level topic")
        << topics({topic("0.5"), topic("1.5abc"), topic("3"), topic("3.1")})
        << QStringList{"$.topics[0].id: sub-topic \"0.5\" comes before any top-level topic, so "
                       "it has no parent",
                       "$.topics[1].id: sub-topic \"1.5abc\" comes before any top-level topic, so "
                       "it has no parent"};
    QTest::newRow("a text id is top-level and a parent")
        << topics({topic("HLP_"), topic("0.5")}) << QStringList();
    QTest::newRow("unclosed tags in bodies")
        << topics({topic("1", "<b>bold<br>"), topic("2", "fine <i>x</i>")})
        << QStringList{"$.topics[0].body: line 1, column 1: <b> is never closed"};
}

void ToolCheckTest::helpFileRules()
{
    QFETCH(SmeltFile, file);
    QFETCH(QStringList, problems);
    QCOMPARE(checkFile(file), problems);
}

void ToolCheckTest::bodyTags_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("problems");

    QTest::newRow("null body") << QString() << QStringList();
    QTest::newRow("editor output")
        << text("Two <b>bold</b><br>\nand <u>under</u> <i>it</i><br>") << QStringList();
    QTest::newRow("case and attributes")
        << text("<B>x</b> <font color=\"red\">y</FONT> <p align=center>z</p>") << QStringList();
    QTest::newRow("self-closing forms")
        << text("a<br/>b<br />c<hr><img src=\"x.png\">") << QStringList();
    QTest::newRow("comparison, not a tag") << text("QL < 100 and 5<6") << QStringList();
    QTest::newRow("comment holds no tags")
        << text("<!-- <b> -->\n<!DOCTYPE html>") << QStringList();
    QTest::newRow("never closed") << text("ok\n  <b>bold")
                                  << QStringList{"line 2, column 3: <b> is never closed"};
    QTest::newRow("closes nothing")
        << text("text</i>") << QStringList{"line 1, column 5: </i> closes no open <i>"};
    QTest::newRow("closed across another")
        << text("<b><i>x</b>")
        << QStringList{"line 1, column 4: <i> is not closed before </b> at line 1, column 8"};
    QTest::newRow("two left open") << text("<u>\n<b>")
                                   << QStringList{"line 1, column 1: <u> is never closed",
                                                  "line 2, column 1: <b> is never closed"};
    QTest::newRow("tag without its >") << text("<b>x</b\n")
                                       << QStringList{"line 1, column 5: tag </b has no closing "
                                                      "\">\"",
                                                      "line 1, column 1: <b> is never closed"};
    QTest::newRow("tag spanning lines") << text("<font\ncolor=red>x</font>\n<i>")
                                        << QStringList{"line 3, column 1: <i> is never "
                                                       "closed"};
}

void ToolCheckTest::bodyTags()
{
    QFETCH(QString, body);
    QFETCH(QStringList, problems);
    QCOMPARE(bodyTagProblems(body), problems);
}

void ToolCheckTest::topicIdValue_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "2" << 2.0;
    QTest::newRow("fraction") << "2.1" << 2.1;
    QTest::newRow("negative") << "-1.5" << -1.5;
    QTest::newRow("leading blanks and sign") << " \t+3.25" << 3.25;
    QTest::newRow("trailing text ignored") << "4.5b" << 4.5;
    QTest::newRow("exponent") << "1e2" << 100.0;
    QTest::newRow("dangling exponent") << "7e" << 7.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("point last") << "5." << 5.0;
    QTest::newRow("HLP_") << "HLP_" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("null") << QString() << 0.0;
    QTest::newRow("inf is a word") << "inf" << 0.0;
    QTest::newRow("hex is not read") << "0x1A" << 0.0;
    QTest::newRow("comma ends it") << "1,5" << 1.0;
}

void ToolCheckTest::topicIdValue()
{
    QFETCH(QString, id);
    QFETCH(double, value);
    QCOMPARE(::topicIdValue(id), value);
}

QTEST_GUILESS_MAIN(ToolCheckTest)
#include "tst_toolcheck.moc"
