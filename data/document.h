#pragma once

// What a window edits: the content of one of the program's files, with its file session and
// its undo history. Every change goes through edit(), which applies a rule of the data
// library and keeps a step to undo only when the content really changed; the window runs its
// dialogs, calls the document and refills its lists.

#include "data/editing.h"
#include "data/filesession.h"
#include "data/history.h"

#include <QObject>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

// The part of a document that does not depend on what it holds: its file and the signals
// its views listen to.
class DocumentBase : public QObject
{
    Q_OBJECT

public:
    explicit DocumentBase(const QString &path);

    QString path() const { return m_file.path(); }
    RecoveryOffer recoveryOffer() { return m_file.recoveryOffer(); }
    void declineRecovery() { m_file.declineRecovery(); }
    // See FileSession::writePendingRecovery().
    void writePendingRecovery() { m_file.writePendingRecovery(); }

    // Loads the file, or the changes of a session that ended without saving them.
    virtual FileReport load() = 0;
    virtual FileReport loadRecovery() = 0;
    // Saves to the file, or to another file of the user's choice; see FileSession.
    virtual SaveResult save() = 0;
    virtual SaveResult saveAs(const QString &path) = 0;
    // The user gave the unsaved changes up.
    void discard() { m_file.discard(); }

    // Whether the content differs from what the file held when it was loaded or saved last.
    virtual bool modified() const = 0;

    // Another program's version of the file, when the file is no longer what was loaded or
    // saved here: read with the usual trace, and kept until it is taken up or turned down.
    enum class DiskState {
        Same,     // nothing new
        Newer,    // a version that loads: takeDiskVersion() shows it
        Gone,     // the file is not there any more
        Unusable, // damaged, foreign, unreadable or no file; diskReport() says what
    };
    virtual DiskState readDiskVersion() = 0;
    const FileReport &diskReport() const { return m_diskReport; }
    // The version read is the content now, one undo step away from what was shown.
    virtual void takeDiskVersion() = 0;
    // The version read is not wanted: it is not offered again; a save keeps it as a backup.
    void keepMine() { m_file.dismissSeen(); }

Q_SIGNALS:
    // The content has changed, by an edit, an undo or a redo.
    void changed();
    // The file changed on disk; readDiskVersion() tells how.
    void diskChanged();
    // Unsaved changes are not protected against a crash; said once a session.
    void recoveryFailed(const QString &reason);

protected:
    FileSession m_file;
    FileReport m_diskReport;
};

// `Place` says where a change happened, so that a view can show that place again after an
// undo or a redo.
template <typename Content, typename Place> class Document : public DocumentBase
{
public:
    // `historyBudget`: see EditHistory.
    explicit Document(const QString &path, qsizetype historyBudget = DefaultHistoryBudget)
        : DocumentBase(path), m_history(historyBudget)
    {}

    const Content &content() const { return m_content; }

    FileReport load() override { return loaded(m_file.load(m_content), true); }
    FileReport loadRecovery() override { return loaded(m_file.loadRecovery(m_content), false); }
    SaveResult save() override
    {
        const SaveResult result = m_file.save(m_content);
        if (result.status == SaveStatus::Saved)
            m_saved = m_content;
        return result;
    }
    SaveResult saveAs(const QString &path) override { return m_file.saveAs(path, m_content); }
    bool modified() const override { return !m_saved || !(m_content == *m_saved); }

    DiskState readDiskVersion() override
    {
        if (!m_file.changedOnDisk())
            return DiskState::Same;
        m_disk = Content();
        m_diskReport = m_file.readAgain(m_disk);
        switch (m_diskReport.status) {
        case LoadStatus::Loaded:
            return DiskState::Newer;
        case LoadStatus::NotOpened:
            return DiskState::Gone;
        default:
            return DiskState::Unusable;
        }
    }

    void takeDiskVersion() override
    {
        m_file.adoptSeen();
        m_saved = std::exchange(m_disk, Content());
        m_texts = std::move(m_diskReport.texts);
        const Content before = std::exchange(m_content, *m_saved);
        record(before, Place());
    }

    // Applies `rule` (content -> EditResult, or nothing for a rule that cannot fail) as the
    // change at `touched`, and returns what the rule returned. Only a change that leaves the
    // content different is a step: an Edit accepted as it was, or a sort of a sorted list,
    // is none. Lists the rule did not touch are still shared, and QList compares those by
    // pointer.
    template <typename Rule> [[nodiscard]] auto edit(const Place &touched, Rule &&rule)
    {
        const Content before = m_content;
        if constexpr (std::is_void_v<std::invoke_result_t<Rule, Content &>>) {
            std::forward<Rule>(rule)(m_content);
            shareNewTexts(before);
            record(before, touched);
        } else {
            const auto result = std::forward<Rule>(rule)(m_content);
            shareNewTexts(before);
            record(before, touched);
            return result;
        }
    }

    // The place of the change undone or redone; nothing when there was none to undo or redo.
    std::optional<Place> undo() { return restore(m_history.undo(m_content)); }
    std::optional<Place> redo() { return restore(m_history.redo(m_content)); }

    // The bytes the pool of distinct texts takes beside the content.
    qsizetype textsCost() const { return m_texts ? m_texts->cost() : 0; }

private:
    FileReport loaded(FileReport report, bool fromFile)
    {
        // A recovered content is what the file does not hold yet.
        m_saved = fromFile ? std::optional<Content>(m_content) : std::nullopt;
        // The loader's pool of the file's distinct texts, which the edits share from.
        m_texts = std::move(report.texts);
        return report;
    }

    // A name typed in a dialog, or pasted, becomes the string the tree already holds for it.
    void shareNewTexts(const Content &before)
    {
        if constexpr (std::is_same_v<Content, CraftingData>) {
            if (!m_texts)
                m_texts = std::make_shared<TextPool>();
            ::shareNewTexts(m_content, before, *m_texts);
        }
    }

    void record(const Content &before, const Place &touched)
    {
        if (m_content == before)
            return;
        m_history.record(before, touched);
        announce();
    }

    std::optional<Place>
    restore(const std::optional<typename EditHistory<Content, Place>::Step> &step)
    {
        if (!step)
            return std::nullopt;
        m_content = step->tree;
        announce();
        return step->touched;
    }

    void announce()
    {
        m_file.changed(m_content);
        emit changed();
    }

    Content m_content;
    std::optional<Content> m_saved; // what the file holds, sharing lists with the content
    Content m_disk;                 // another program's version, read and not taken up yet
    EditHistory<Content, Place> m_history;
    std::shared_ptr<TextPool> m_texts;
};

using CraftingDocument = Document<CraftingData, RecordPath>;
using HelpDocument = Document<HelpTopics, int>;
