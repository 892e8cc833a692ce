#pragma once
// The session: the model held in memory, the fixed-parameter list, which commands are
// available (what the menus enable), the installation directory, and every command run
// on them. The main window and the command line both run these commands; each one asks
// its front end for names and answers, works on a copy of the model, keeps the copy only
// when everything succeeded, and returns what the front end must show.
//
// A new command is one member function here (its steps in session.cpp or a file of its
// group) and, when the menus enable it, one value of Command.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "design/formula.h"
#include "model/model.h"
#include "model/modelform.h"
#include "model/result.h"
#include "pim/blockcommands.h"
#include "pim/gridwriteback.h"
#include "session/changehistory.h"
#include "session/fixedlist.h"
#include "session/frontend.h"

namespace tw {

inline constexpr const char* kProgramTitle = "Tallowick2";
inline constexpr const char* kNoFileSelected = "No file selected";
inline constexpr const char* kReplaceQuestion = "The model has unsaved changes. Replace it?";

/// The question before a save replaces an existing file.
std::string replaceFileQuestion(const std::string& target);

/// What a file dialog's answer chooses: a name, or none; then either the dialog was
/// cancelled (the command ends without a word) or the name is empty or the bare pattern
/// "*.*" ("No file selected"). Reads like an optional name.
class FileChoice {
public:
    enum class None { Cancelled, NoFileSelected };
    FileChoice(std::string name) : m_name(std::move(name)) {}
    FileChoice(None none) : m_none(none) {}

    explicit operator bool() const { return m_name.has_value(); }
    const std::string& operator*() const { return *m_name; }
    const std::string* operator->() const { return &*m_name; }
    /// Why there is no name (meaningful only when there is none).
    None none() const { return m_none; }

private:
    std::optional<std::string> m_name;
    None m_none = None::Cancelled;
};

/// The choice a file dialog's answer makes: nullopt is a cancelled dialog; an empty
/// name or the bare pattern "*.*" is no file. The one place that decides "No file selected".
FileChoice chosenFile(const std::optional<std::string>& answer);

/// The commands whose availability changes as the session goes on.
enum class Command {
    ReadPims,         // "Get input file w/ PIM's"
    ReadConstraints,  // "Get input file w/ constraints"
    Convert,          // "Convert constraints to PIMs"
    SaveConstraints,  // "Save model w/ constraints"
    SavePims,         // "Save model w/ PIM's"
    Point,            // "Compute POINT(i)"
    RunEachPeriod,    // "Run each Primary period through KESTON"
};

/// The menu caption of a command.
const char* commandCaption(Command command);

/// How many parameters the model estimates and how many cells are fixed, as the status
/// of a command says it: "40 parameters, 16 fixed" (the fixed part only when any are).
std::string parameterSummary(const Model& model);

struct Message {
    std::string title;
    std::string text;
    Severity severity = Severity::Information;
    bool operator==(const Message&) const = default;
};

/// A model file a command read or wrote, and the form it holds the model in.
struct ModelFile {
    std::string path;
    ModelForm form = ModelForm::Pim;
    bool operator==(const ModelFile&) const = default;
};

/// What a command leaves for the front end to show.
struct Outcome {
    std::vector<Message> messages;  // in order, shown before the failure
    std::optional<Error> failure;   // why the command stopped; the model and the files are as they were
    Severity failureSeverity = Severity::Warning;  // Critical when a save failed
    bool cancelled = false;         // the user ended it (a dialog left, a run cancelled, a window refused)
    std::string caption;            // the dimensions of a model a reader brought; empty: unchanged
    std::string status;             // one line on what the command did ("Converted: 45 parameters"); empty: nothing
    std::optional<ModelFile> file;  // the model file read or written, which the model now matches
    std::string output;             // text for the user to read (the command line prints it)
    // Lines on the work done: the command line prints them, a window shows them its own way.
    std::vector<std::string> notes;

    bool done() const { return !failure && !cancelled; }
};

class Session {
public:
    Session();

    const Model& model() const { return m_model; }
    /// For the windows that edit the model in place (grid and design-matrix windows).
    Model& model() { return m_model; }

    bool available(Command command) const;

    /// The file the model was last read from or saved to (empty before a read), which
    /// the window's title names.
    const std::string& modelFile() const { return m_modelFile; }

    /// The directory the outside programs are started from ("" none).
    const std::string& installDirectory() const { return m_installDirectory; }
    void setInstallDirectory(std::string directory) { m_installDirectory = std::move(directory); }

    /// The fixed-parameter list as the editor holds it; its entries may hold edits the
    /// model has not taken yet (until "Done").
    const FixedList& fixedList() const { return m_fixedList; }
    /// Takes the list as the editor left it; the model is not changed until applyFixedList.
    void setFixedList(FixedList list);
    /// Whether the editor's entries hold edits the model has not taken yet.
    bool fixedListPending() const { return m_fixedListPending; }
    /// "Done": the model takes the editor's entries (applyListEdits). A refused entry is
    /// the failure, and the model and the list stay as they were.
    Outcome applyFixedList();
    /// A grid window closes: its texts go into the model (writeBackGrid), and the list
    /// lines of the cells it fixed or freed follow (followFixings), in the editor too.
    struct GridWriteBack {
        WriteBackReport report;
        bool listFollowed = false;  // the list's entries changed
    };
    GridWriteBack writeBackGrid(const std::vector<int>& cellmap, const std::vector<std::string>& texts);

    /// The folder the open dialogs of model files start in: the one a model file was last
    /// chosen in, at first the current directory.
    std::string openFolder() const;
    /// Notes the folder of a model file chosen in an open dialog.
    void noteOpened(const std::string& file);
    /// The folder the save dialogs start in: the model file's ("" infile: the current one).
    std::string modelFolder() const;

    /// "Get input file w/ PIM's": asks before replacing unsaved work, then for the file.
    Outcome readPims(FrontEnd& front);
    /// "Get input file w/ constraints": asks before replacing unsaved work, then for the
    /// file; numbers the parameters and writes "quarlet.chk" before the model is kept.
    Outcome readConstraints(FrontEnd& front);
    /// "Convert constraints to PIMs": applies the constraints file the front end names.
    Outcome convert(FrontEnd& front);
    /// "Compute POINT(i)": numbers the parameters; kept only when "quarlet.chk" was written.
    Outcome point(FrontEnd& front);
    /// "Save model w/ PIM's" to the file the front end names.
    Outcome savePims(FrontEnd& front);
    /// "Save model w/ constraints" to the file the front end names ("QUARLET.OUT" proposed).
    Outcome saveConstraints(FrontEnd& front);
    /// "Run each Primary period through KESTON": runs the per-period program on each
    /// cohort of the file the front end names and fixes the estimates.
    Outcome runEachPeriod(FrontEnd& front);

    /// "Model formulas" Apply: writes back the edits of open windows, then builds the PIMs
    /// and the design matrix the formulas make (kinds without one keep their parameters,
    /// one column each) and keeps them, marked unsaved, the columns named. The notes say
    /// each kind's parameters, columns and rank. A refused formula changes nothing.
    Outcome applyFormulas(FrontEnd& front, const FormulaSet& formulas);
    /// As applyFormulas, for formulas written "survival ~ time; movement ~ ..." in one text.
    Outcome applyFormulaList(FrontEnd& front, const std::string& formulas);
    /// Writes the design matrix as a tab-separated table, its columns named, to the file
    /// the front end names (atomically; never over the model's input file).
    Outcome writeDesignTable(FrontEnd& front);

    /// The formulas of the session by kind ("~ time + stratum"; empty: none), as the
    /// formulas window left them or Apply took them.
    const std::array<std::string, kKindCount>& formulaTexts() const { return m_formulaTexts; }
    void setFormulaTexts(std::array<std::string, kKindCount> texts) { m_formulaTexts = std::move(texts); }
    /// The names of design columns 1..dmcols at [c - 1] ("" for a column without one):
    /// what Apply named, carried through renumberings and hand edits, gone with a new read.
    std::vector<std::string> designColumnNames() const;

    // The PIM chart (sessionchart.cpp). Each command that changes the model first has the
    // front end write back its open windows, then changes the model in one step that
    // undo() takes back, and marks it unsaved. block is an index into pimBlocks(model()).

    /// A block command (Constant, Time, Age, All different) on one block.
    Outcome changeBlock(FrontEnd& front, int block, BlockCommand command);
    /// Adds d to the numbers of the block's estimated cells.
    Outcome shiftBlock(FrontEnd& front, int block, int d);
    /// "Renumber without gaps": 1, 2, ... in block order.
    Outcome renumberWithoutGaps(FrontEnd& front);
    /// "Renumber without sharing": each block its own numbers, in block order.
    Outcome renumberWithoutSharing(FrontEnd& front);
    /// Takes back the last of those steps; nothing to take back is no failure.
    Outcome undo(FrontEnd& front);
    /// Does the last step taken back again.
    Outcome redo(FrontEnd& front);
    /// What undo() would take back ("Constant: Survival g1 s1"); empty when nothing.
    std::string undoText() const { return m_history.undoDescription(m_model); }
    /// What redo() would do again; empty when nothing.
    std::string redoText() const { return m_history.redoDescription(m_model); }
    /// "Save chart as…": the chart of the model, drawn by the front end, to the PNG or
    /// PDF file it names.
    Outcome saveChart(FrontEnd& front);
    /// One line for each block of the model (describeBlocks) as the output.
    Outcome describeBlocks() const;

private:
    /// Whether a read would lose anything: unsaved changes, list edits not taken yet, or
    /// edits held by windows.
    bool holdsUnsavedWork(const FrontEnd& front) const;
    /// Asks the open dialog of a model file and notes its folder.
    FileChoice askOpen(FrontEnd& front, std::string title, std::string proposed);
    /// Asks the save dialog of a model file (or of a file of another kind), checks that it
    /// does not name the model file, and asks before replacing a file; the failure or
    /// cancellation is left in outcome.
    std::optional<std::string> askSave(FrontEnd& front, std::string proposed, Outcome& outcome,
                                       FileKind kind = FileKind::Model);
    /// Before a command reads the model: the list's edits and the open windows' edits go
    /// into it; false (with outcome set) when the list or a window refused.
    bool takeEdits(FrontEnd& front, Outcome& outcome);
    /// Keeps a model a command built aside; the fixed-parameter list follows its entries.
    void keep(Model model);

    /// Runs a change of the model as one step of the history, after the write-back.
    Outcome changeModel(FrontEnd& front, const std::string& description,
                        const std::function<Result<ModelChange>(Model&)>& change);

    Model m_model = startupModel();
    std::string m_modelFile;
    ChangeHistory m_history;
    FixedList m_fixedList;
    bool m_fixedListPending = false;  // the editor's entries differ from the model's list
    std::string m_installDirectory;
    std::array<std::string, kKindCount> m_formulaTexts;
    std::string m_openFolder;
    bool m_saveConstraints = false;
    bool m_savePims = false;
    bool m_convert = false;
};

}  // namespace tw
