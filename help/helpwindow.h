#pragma once

#include "smeltfiles.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

// The help administration window: the help topics as a tree sorted by id, the selected
// topic's body rendered, and the actions that add, rename and delete topics and edit a
// body. It owns the topics while it exists: the constructor loads the help file, and the
// caller saves it with saveHelpFile() once the window's run has ended.
class SmeltworkHelpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkHelpDialog(QWidget *parent = nullptr, const char *name = nullptr,
                                 bool modal = false, Qt::WindowFlags fl = {});
    ~SmeltworkHelpDialog() override;

    // Writes every topic to the help file. A file this window could not read completely is
    // kept as Smeltwork.hlp.bak before it is replaced.
    void saveHelpFile();

    const HelpTopics &helpTopics() const { return topics; }
    const FileReport &loadReport() const { return m_loadReport; }

    QLabel *HeaderLabel;
    QTreeWidget *HeaderList;
    QFrame *BodyFrame;
    QTextBrowser *BodyView;
    QGroupBox *ActionGroup;
    QPushButton *AddBtn;
    QPushButton *EditBtn;
    QPushButton *DelBtn;
    QPushButton *EditorBtn;
    QPushButton *CloseBtn;

protected:
    QVBoxLayout *HelpDialogLayout;
    QHBoxLayout *UpperRowLayout;
    QVBoxLayout *TopicColumnLayout;
    QHBoxLayout *BodyFrameLayout;
    QHBoxLayout *ActionGroupLayout;
    QHBoxLayout *BottomRowLayout;

    HelpTopics topics;

    void loadHelpFile();
    void fillTopicList();

protected Q_SLOTS:
    virtual void addTopic();
    virtual void deleteTopic();
    virtual void editTopic();
    virtual void editBody();
    virtual void topicSelected();

private:
    void buildWidgets();
    void buildTopicList();
    void buildBodyView();
    void buildActionGroup();
    void buildBottomRow();
    void connectSignals();

    // The index of the selected topic, or -1 when no topic is selected.
    int selectedTopic() const;
    QTreeWidgetItem *itemOfTopic(int index) const;

    FileReport m_loadReport;
};
