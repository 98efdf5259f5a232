// Undo and redo of the edits that change data sets (Crop, Fix Drift, Fix Offset, the properties
// and shifts applied in Data Properties, Peak and Climb marks, Delete, a Load that added sets),
// and which data sets hold changes that were never saved. The main window and the Data
// Properties dialog record their edits here; widget-free so it is tested on its own.
//
// A step keeps only what its edit changed: for each sample array the values from the first one
// that changed to the end of the old count, the set's other fields only when they changed, and
// the plot's texts, view and Reset view when they changed. Undo and redo swap those values with
// the live ones, so a step holds the before values while it can be undone and the after values
// while it can be redone. A deleted set is held whole until its step is dropped.
//
// Bound: at most MaxSteps steps, and the steps together hold at most MaxBytes of data; the
// oldest steps are dropped first. An edit whose step alone would hold more (or whose sets are
// too large to copy before it) is not kept: the history is cleared, since no earlier step can be
// undone across it, and lastEditNotKept() says so until the next commit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "plot/plotsettings.h"

namespace orvo {

// One undoable step. It holds what it needs to go both ways; the history keeps it, counts its
// bytes against the bound and calls undo() and redo() in turn.
class EditCommand {
  public:
    explicit EditCommand(std::string label) : m_label(std::move(label)) {}
    virtual ~EditCommand() = default;
    EditCommand(const EditCommand&) = delete;
    EditCommand& operator=(const EditCommand&) = delete;

    const std::string& label() const { return m_label; }
    virtual void undo() = 0;
    virtual void redo() = 0;
    // Bytes of data the step holds.
    virtual std::size_t bytes() const = 0;

  private:
    std::string m_label;
};

class EditHistory : private SetListObserver {
  public:
    static constexpr int MaxSteps = 100;
    static constexpr std::size_t MaxBytes = std::size_t{64} << 20;

    explicit EditHistory(PlotState& plot);
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // An edit in progress: what the touched sets and the plot looked like before it.
    struct Pending;
    struct PendingDeleter {
        void operator()(Pending* p) const;
    };
    using PendingEdit = std::unique_ptr<Pending, PendingDeleter>;
    // Before an edit of the given data sets (all sets when sets is empty).
    PendingEdit begin(const std::string& label, std::vector<int> sets = {});
    // Before DeleteDataSet(n): a copy of the set is kept for undo.
    PendingEdit beginDelete(int n);
    // Before a load, which adds sets at the end and may bring the plot's texts and view.
    PendingEdit beginLoad();
    // After the edit: records a step when anything changed, and clears the redo steps. Returns
    // whether a step was recorded.
    bool commit(PendingEdit pending);

    // One undoable edit in one call: edit() changes the given data sets (all when sets is empty)
    // and the plot, and becomes one step named label. Returns what edit() returns.
    template <typename Edit> auto record(const std::string& label, std::vector<int> sets, Edit&& edit) {
        return recorded(begin(label, std::move(sets)), std::forward<Edit>(edit));
    }
    // edit() deletes data set n.
    template <typename Edit> auto recordDelete(int n, Edit&& edit) {
        return recorded(beginDelete(n), std::forward<Edit>(edit));
    }
    // A load that may end at any of several places: the step is committed when the returned
    // object goes out of scope.
    class Recording {
      public:
        Recording(EditHistory& history, PendingEdit pending)
            : m_history(history), m_pending(std::move(pending)) {}
        ~Recording() { m_history.commit(std::move(m_pending)); }
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;

      private:
        EditHistory& m_history;
        PendingEdit m_pending;
    };
    Recording recordLoad() { return Recording(*this, beginLoad()); }
    // Keeps a step whose edit is already done, within the bounds, and clears the redo steps; a
    // step too large to keep is dropped (see Bound above). Returns whether it was kept.
    bool push(std::unique_ptr<EditCommand> step);
    // The last commit met an edit too large to keep (see Bound above).
    bool lastEditNotKept() const { return m_lastNotKept; }
    // Called with the edit's label when an edit is too large to keep; the window says so.
    std::function<void(const std::string& label)> onEditNotKept;
    // The byte bound (MaxBytes unless a test makes it smaller).
    void setByteBound(std::size_t bytes) { m_maxBytes = bytes; }
    std::size_t byteBound() const { return m_maxBytes; }

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    std::string undoLabel() const;
    std::string redoLabel() const;
    bool undo();
    bool redo();

    int undoSteps() const { return static_cast<int>(m_undo.size()); }
    int redoSteps() const { return static_cast<int>(m_redo.size()); }
    // Bytes of data the steps hold.
    std::size_t bytes() const;
    void clear();

    // Unsaved changes: a set is modified when it differs from what was last loaded, downloaded
    // or saved (an undo back to that point makes it unmodified again).
    bool isModified(int n) const;
    bool anyModified() const;
    void markSaved(int n);
    void markAllSaved();

    struct Step;

  private:
    template <typename Edit> auto recorded(PendingEdit pending, Edit&& edit) {
        if constexpr (std::is_void_v<std::invoke_result_t<Edit>>) {
            std::forward<Edit>(edit)();
            commit(std::move(pending));
        } else {
            auto result = std::forward<Edit>(edit)();
            commit(std::move(pending));
            return result;
        }
    }

    void dataSetAppended(int n, const std::string& name) override;
    void dataSetRemoved(int n) override;
    void dataSetRenamed(int, const std::string&) override {}
    void dataSetInserted(int n, const std::string& name) override;

    void apply(Step& step);
    void notKept(const std::string& label);
    std::uint64_t nextVersion() { return ++m_lastVersion; }

    struct Versions {
        std::uint64_t current = 0;
        std::uint64_t saved = 0;
    };

    PlotState& m_plot;
    std::vector<std::unique_ptr<EditCommand>> m_undo; // oldest first
    std::vector<std::unique_ptr<EditCommand>> m_redo; // next to redo last
    std::vector<Versions> m_versions;                 // one per data set, in list order
    std::uint64_t m_lastVersion = 0;
    std::size_t m_maxBytes = MaxBytes;
    bool m_lastNotKept = false;
};

} // namespace orvo
