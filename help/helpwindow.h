#pragma once

#include "data/filesession.h"
#include "data/history.h"
#include "data/smeltfiles.h"

#include <QDialog>
#include <optional>

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

    // Writes every topic to the help file, or wherever the user saves them when that fails;
    // false when the user gave the changes up instead. A file this window could not read
    // completely is kept as Smeltwork.hlp.bak before it is replaced.
    bool saveHelpFile();

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

Q_SIGNALS:
    // The topics have changed at index `touched`, by an action, an undo or a redo.
    void topicsChanged(int touched);

protected:
    QVBoxLayout *HelpDialogLayout;
    QHBoxLayout *UpperRowLayout;
    QVBoxLayout *TopicColumnLayout;
    QHBoxLayout *BodyFrameLayout;
    QHBoxLayout *ActionGroupLayout;
    QHBoxLayout *BottomRowLayout;

    HelpTopics topics;

    void loadHelpFile();
    // The IDTest trace of the tree goes out only when `traced`.
    void fillTopicList(bool traced = true);

    // Every change of the topics ends here, once the list shows it: what has to follow any
    // change (saving, recovery) hooks in here or on topicsChanged().
    void changed(int touched);

protected Q_SLOTS:
    virtual void addTopic();
    virtual void deleteTopic();
    virtual void editTopic();
    virtual void editBody();
    virtual void topicSelected();
    virtual void undo();
    virtual void redo();

private:
    void buildWidgets();
    void buildTopicList();
    void buildBodyView();
    void buildActionGroup();
    void buildBottomRow();
    void connectSignals();
    void addShortcuts();

    // Keeps `before` for undo when the topics now differ from it, and announces the change.
    void recordChange(const HelpTopics &before, int touched);
    void restore(const std::optional<TopicHistory::Step> &step);

    // The index of the selected topic, or -1 when no topic is selected.
    int selectedTopic() const;
    QTreeWidgetItem *itemOfTopic(int index) const;

    FileReport m_loadReport;
    FileSession m_file{helpFilePath()};
    TopicHistory m_history;
};
