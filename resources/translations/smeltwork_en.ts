<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
    <context>
        <name>SmeltworkAdminDialogBase</name>
        <message numerus="yes">
            <source>The list of process groups is full: it holds %n group(s), the most the data file can store.</source>
            <translation>
                <numerusform>The list of process groups is full: it holds %n group, the most the data file can store.</numerusform>
                <numerusform>The list of process groups is full: it holds %n groups, the most the data file can store.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>This process group is full: it holds %n process(es), the most the data file can store.</source>
            <translation>
                <numerusform>This process group is full: it holds %n process, the most the data file can store.</numerusform>
                <numerusform>This process group is full: it holds %n processes, the most the data file can store.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>This process is full: it holds %n item(s)/tool(s) and skill(s), the most the data file can store.</source>
            <translation>
                <numerusform>This process is full: it holds %n item/tool and skill, the most the data file can store.</numerusform>
                <numerusform>This process is full: it holds %n items/tools and skills, the most the data file can store.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n process group(s)</source>
            <translation>
                <numerusform>%n process group</numerusform>
                <numerusform>%n process groups</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n process(es)</source>
            <translation>
                <numerusform>%n process</numerusform>
                <numerusform>%n processes</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n item(s)/tool(s) and skill(s)</source>
            <translation>
                <numerusform>%n item/tool and skill</numerusform>
                <numerusform>%n items/tools and skills</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>Change the id of all %n item/tool(s) named "%1" from %2 to %3?</source>
            <translation>
                <numerusform>Change the id of all %n item/tool named "%1" from %2 to %3?</numerusform>
                <numerusform>Change the id of all %n item/tools named "%1" from %2 to %3?</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>Replace "%1" with "%2" in %n name(s)?</source>
            <translation>
                <numerusform>Replace "%1" with "%2" in %n name?</numerusform>
                <numerusform>Replace "%1" with "%2" in %n names?</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkChecks</name>
        <message numerus="yes">
            <source>item/tool %1 has id %2 here and %3 in %n other place(s)</source>
            <translation>
                <numerusform>item/tool %1 has id %2 here and %3 in %n other place</numerusform>
                <numerusform>item/tool %1 has id %2 here and %3 in %n other places</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>id %1 is %2 here and %3 in %n other place(s)</source>
            <translation>
                <numerusform>id %1 is %2 here and %3 in %n other place</numerusform>
                <numerusform>id %1 is %2 here and %3 in %n other places</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkFileBoxes</name>
        <message numerus="yes">
            <source>%1 holds %n byte(s) after its last record, which are not read.</source>
            <translation>
                <numerusform>%1 holds %n byte after its last record, which are not read.</numerusform>
                <numerusform>%1 holds %n bytes after its last record, which are not read.</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkFindWindow</name>
        <message numerus="yes">
            <source>%n match(es), the first %1 listed</source>
            <translation>
                <numerusform>%n match, the first %1 listed</numerusform>
                <numerusform>%n matches, the first %1 listed</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n match(es)</source>
            <translation>
                <numerusform>%n match</numerusform>
                <numerusform>%n matches</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkHelpDialog</name>
        <message numerus="yes">
            <source>The help file cannot hold more than %n topic(s).
Delete a topic before adding another one.</source>
            <translation>
                <numerusform>The help file cannot hold more than %n topic.
Delete a topic before adding another one.</numerusform>
                <numerusform>The help file cannot hold more than %n topics.
Delete a topic before adding another one.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>The help file is damaged: it ends early or holds impossible lengths.
Recovered %n topic(s); the rest could not be read.</source>
            <translation>
                <numerusform>The help file is damaged: it ends early or holds impossible lengths.
Recovered %n topic; the rest could not be read.</numerusform>
                <numerusform>The help file is damaged: it ends early or holds impossible lengths.
Recovered %n topics; the rest could not be read.</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkJson</name>
        <message numerus="yes">
            <source>%n record(s), but the file holds at most %1</source>
            <translation>
                <numerusform>%n record, but the file holds at most %1</numerusform>
                <numerusform>%n records, but the file holds at most %1</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkProblemsWindow</name>
        <message numerus="yes">
            <source>%n problem(s)</source>
            <translation>
                <numerusform>%n problem</numerusform>
                <numerusform>%n problems</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>SmeltworkTool</name>
        <message numerus="yes">
            <source>%1 takes %n argument(s), %2 given; see "smeltwork-tool %1 --help"</source>
            <translation>
                <numerusform>%1 takes %n argument, %2 given; see "smeltwork-tool %1 --help"</numerusform>
                <numerusform>%1 takes %n arguments, %2 given; see "smeltwork-tool %1 --help"</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n group(s)</source>
            <translation>
                <numerusform>%n group</numerusform>
                <numerusform>%n groups</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n process(es)</source>
            <translation>
                <numerusform>%n process</numerusform>
                <numerusform>%n processes</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n requirement(s)</source>
            <translation>
                <numerusform>%n requirement</numerusform>
                <numerusform>%n requirements</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n topic(s)</source>
            <translation>
                <numerusform>%n topic</numerusform>
                <numerusform>%n topics</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%1: the merge holds %n records there, more than the file can count (%2); nothing was written</source>
            <translation>
                <numerusform>%1: the merge holds %n records there, more than the file can count (%2); nothing was written</numerusform>
                <numerusform>%1: the merge holds %n records there, more than the file can count (%2); nothing was written</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%1: %n conflict(s) left, each with our side's value; all are listed in %2</source>
            <translation>
                <numerusform>%1: %n conflict left, each with our side's value; all are listed in %2</numerusform>
                <numerusform>%1: %n conflicts left, each with our side's value; all are listed in %2</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n byte(s) after the last record, from byte %1, which no record holds</source>
            <translation>
                <numerusform>%n byte after the last record, from byte %1, which no record holds</numerusform>
                <numerusform>%n bytes after the last record, from byte %1, which no record holds</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%1: too short to be a Smeltwork file (%n byte(s))</source>
            <translation>
                <numerusform>%1: too short to be a Smeltwork file (%n byte)</numerusform>
                <numerusform>%1: too short to be a Smeltwork file (%n bytes)</numerusform>
            </translation>
        </message>
    </context>
</TS>
