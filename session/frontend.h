#pragma once
// What a command of the session asks of the front end that runs it: names from file
// dialogs, answers to questions, the edits open windows still hold, progress, the
// start of outside programs and the drawing of the PIM chart. The main window answers
// through its dialogs and windows, the command line from its arguments, tests from a
// script.

#include <cstdint>
#include <optional>
#include <string>

#include "model/result.h"

namespace tw {

struct ChartData;
enum class ChartFormat : std::uint8_t;

/// What a file dialog offers to choose from: model files (with every file as the other
/// choice), pictures of the chart (PNG, PDF), or any file.
enum class FileKind { Any, Model, Chart };

/// A file dialog: its title, the name proposed in it, the folder it opens in and the
/// files it offers.
struct FileQuestion {
    std::string title;
    std::string proposed;
    std::string directory;  // empty: the dialog's own choice
    FileKind kind = FileKind::Any;
};

/// An outside program to start without a shell and wait for.
struct ProgramRun {
    std::string program;        // full path
    std::string standardInput;  // written through a pipe, then the pipe is closed
    std::string description;    // what the progress display says runs
};

struct ProgramEnd {
    bool started = false;
    bool cancelled = false;  // the user ended it
    std::string errorText;   // why it could not be started
};

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    /// The name chosen in an open-file dialog; nullopt when the dialog was cancelled.
    virtual std::optional<std::string> openFile(const FileQuestion& question) = 0;
    /// The name chosen in a save-file dialog; nullopt when the dialog was cancelled. The
    /// dialog does not ask before replacing a file: the command checks the name first
    /// and then asks through confirm.
    virtual std::optional<std::string> saveFile(const FileQuestion& question) = 0;
    /// A question with OK and Cancel; true for OK.
    virtual bool confirm(const std::string& question) = 0;
    /// Whether open windows hold edits the model has not seen yet.
    virtual bool holdsEdits() const { return false; }
    /// Writes the edits of open windows into the model before a command reads it; false
    /// when a window refused (it showed why), and the command then stops.
    virtual bool writeBackEdits() { return true; }
    /// Drops the windows and edits that belong to a model a reader is replacing.
    virtual void discardEdits() {}
    /// The share done of a long step, 0..100, and what to show beside it (empty: nothing).
    virtual void progress(int /*percent*/, const std::string& /*note*/) {}
    /// Runs an outside program and waits for its end.
    virtual ProgramEnd runProgram(const ProgramRun& /*run*/) { return {}; }
    /// The bytes of a file showing the chart, drawn in the format given; an error when
    /// this front end cannot draw.
    virtual Result<std::string> drawChart(const ChartData& /*chart*/, ChartFormat /*format*/)
    {
        return makeError("This program cannot draw the chart.");
    }
};

}  // namespace tw
