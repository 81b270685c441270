#include "ScriptOperations.h"
#include "WindowOperations.h"

#include "app/MainWindow.h"
#include "common/Format.h"
#include "project/Project.h"
#include "scripts/ScriptEditorDialog.h"

#include <charconv>
#include <memory>

namespace {

using Kind = Operation::Kind;

const char *const seeAbove = " (the message above says why)";

// A list number from 1, or "end" (0).
bool parseLine(const std::string &text, int &line, bool endAllowed)
{
    if (text == "end") {
        line = 0;
        return endAllowed;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), line);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && line >= 1;
}

std::string opvRefusal(const Project &project, const std::vector<int> &segments, bool savesQFactors)
{
    if (savesQFactors)
        return {};
    for (int index : segments) {
        if (!project.segment(index).vbrMode)
            return describeSegment(project, index)
                   + " is OPV: changing its scripts makes its Q factor stale (--save --predict predicts a new one, "
                     "--save --keep-q saves it with its current Q factor)";
    }
    return {};
}

// One editor's part of the operation, after it opened.
std::string apply(ScriptEditorDialog &editor, const Operation &op)
{
    const int count = editor.workingCount();
    if (op.kind == Kind::AvsRestore) {
        if (!editor.controls().at(ScriptEditorDialog::RestoreButton).enabled)
            return "the first cell's script has no .bak copy: there is nothing to restore";
        const bool restored = editor.restoreConfirmed();
        editor.cancelClicked();
        return restored ? std::string() : std::string("the scripts were not restored") + seeAbove;
    }
    if (op.line > count)
        return cformat("the script's list numbers are 1 to %d", count);
    if (op.kind == Kind::AvsInsert) {
        editor.lineSelected(op.line == 0 ? count - 1 : op.line - 1);
        editor.lineTyped(op.lineText);
        editor.insertClicked();
    } else {
        if (op.line == count)
            return cformat("list number %d is the end of the script: there is no line to remove", count);
        editor.lineSelected(op.line - 1);
        if (!editor.removeClicked())
            return std::string("the script editor refused it") + seeAbove;
    }
    editor.testSkipped();
    editor.okClicked();
    return editor.result() == DialogResult::Ok ? std::string() : std::string("the scripts were not saved") + seeAbove;
}

} // namespace

bool parseScriptOperation(Operation &op, const std::string &value, std::string &problem)
{
    if (op.kind == Kind::AvsRestore) {
        if (!parseSegment(value, op.segments[0])) {
            problem = op.text + ": expected SEG (V:O or #N)";
            return false;
        }
        return true;
    }
    const bool insert = op.kind == Kind::AvsInsert;
    const std::size_t at = value.find('@');
    std::string segment = value.substr(0, at);
    std::string line = at == std::string::npos ? std::string() : value.substr(at + 1);
    if (insert) {
        // The text is everything after the first "=" behind the list number, "=" signs included.
        const std::size_t equals = line.find('=');
        op.lineText = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        line = line.substr(0, equals);
        if (equals == std::string::npos || op.lineText.empty()) {
            problem = op.text + ": expected SEG@LINE=TEXT with a text to insert";
            return false;
        }
    }
    op.segments[0].all = insert && segment == "all";
    if (at == std::string::npos || (!op.segments[0].all && !parseSegment(segment, op.segments[0]))
        || !parseLine(line, op.line, insert)) {
        problem = op.text + (insert ? ": expected SEG@LINE=TEXT (SEG as V:O, #N or all; LINE a list number from 1, or end)"
                                    : ": expected SEG@LINE (SEG as V:O or #N; LINE a list number from 1)");
        if (!insert && segment == "all")
            problem = op.text + ": --avs-remove does not take all: a list number means a different line in each segment";
        return false;
    }
    if (op.segments[0].all && op.line > 1) {
        problem = op.text + ": with all, LINE is 1 or end";
        return false;
    }
    if (op.segments[0].all)
        op.segments[0].text = "all";
    return true;
}

std::string scriptOperationsRefusal(const MainWindow &window, const std::vector<Operation> &operations,
                                    bool savesQFactors, const std::function<int(const SegmentName &)> &findSegment)
{
    for (const Operation &op : operations) {
        if (op.kind != Kind::AvsInsert && op.kind != Kind::AvsRemove && op.kind != Kind::AvsRestore)
            continue;
        std::vector<int> segments = window.rowMap();
        if (!op.segments[0].all) {
            const int index = findSegment(op.segments[0]);
            segments = index < 0 ? std::vector<int>() : std::vector<int>{index};
        }
        if (const std::string reason = opvRefusal(window.project(), segments, savesQFactors); !reason.empty())
            return op.text + ": " + reason;
    }
    return {};
}

std::string runScriptOperation(MainWindow &window, const Operation &op, const std::vector<int> &segments,
                               bool savesQFactors)
{
    Project &project = window.project();
    if (std::string reason = opvRefusal(project, segments, savesQFactors); !reason.empty())
        return reason;
    // Every editor opens first, so every segment's scripts are checked before any is written.
    std::vector<std::unique_ptr<ScriptEditorDialog>> editors;
    for (int index : segments) {
        editors.push_back(
            std::make_unique<ScriptEditorDialog>(project, index, window.settings(), std::string(), window.desktop()));
        if (!editors.back()->open())
            return describeSegment(project, index) + ": the script editor did not open" + seeAbove + "; no script was written";
    }
    std::string written;
    for (std::size_t i = 0; i < editors.size(); ++i) {
        if (std::string reason = apply(*editors[i], op); !reason.empty()) {
            window.afterScriptEditor();
            return describeSegment(project, segments[i]) + ": " + reason
                   + (written.empty() ? std::string() : "; the scripts of these segments were already written:" + written);
        }
        written += " " + describeSegment(project, segments[i]);
    }
    window.afterScriptEditor();
    return {};
}
