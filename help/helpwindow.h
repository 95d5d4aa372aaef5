#pragma once

#include "data/document.h"
#include "data/smeltfiles.h"

#include <QDialog>
#include <optional>

class QFrame;
class SmeltworkProblemsWindow;
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

    // Writes every topic to the help file, or wherever the user saves them when that fails;
    // false when the user gave the changes up instead. A file this window could not read
    // completely is kept as Smeltwork.hlp.bak before it is replaced.
    bool saveHelpFile();

    const HelpTopics &helpTopics() const { return topics; }

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
    // A window that becomes active again looks whether its file changed meanwhile.
    void changeEvent(QEvent *event) override;

    QVBoxLayout *HelpDialogLayout;
    QHBoxLayout *UpperRowLayout;
    QVBoxLayout *TopicColumnLayout;
    QHBoxLayout *BodyFrameLayout;
    QHBoxLayout *ActionGroupLayout;
    QHBoxLayout *BottomRowLayout;

    // The topics live in the document, which every change goes through; `topics` reads them.
    HelpDocument m_document{helpFilePath()};
    const HelpTopics &topics = m_document.content();

    void loadHelpFile();
    // The IDTest trace of the tree goes out only when `traced`.
    void fillTopicList(bool traced = true);

protected Q_SLOTS:
    virtual void addTopic();
    virtual void deleteTopic();
    virtual void editTopic();
    virtual void editBody();
    virtual void topicSelected();
    virtual void showProblems();

private:
    void buildWidgets();
    void buildTopicList();
    void buildBodyView();
    void buildActionGroup();
    void buildBottomRow();
    void connectSignals();
    void addShortcuts();

    void showChange(const std::optional<int> &touched);
    // Shows another program's version of the help file, keeping the selected topic where
    // its id is still there.
    void followDisk();
    // Says that the file holds as many topics as it can count, when `result` says so.
    bool refusedAsFull(EditResult result);

    // The index of the selected topic, or -1 when no topic is selected.
    int selectedTopic() const;
    QTreeWidgetItem *itemOfTopic(int index) const;

    QList<QTreeWidgetItem *> m_items; // the item of each topic, by index
    SmeltworkProblemsWindow *m_problems = nullptr;
};
