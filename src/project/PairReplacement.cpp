#include "project/PairReplacement.h"

#include "project/ProjectFiles.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace {

SaveStepHook &stepHook()
{
    static SaveStepHook hook;
    return hook;
}

// The marker's first line; then one line per file in the order of the renames:
// "<key>=<size of the temporary>,<file name of the temporary>".
const char *const markerHeader = "Tavro: a save of Rebuilder.INF and Rebuilder.ECL is under way";
const char *const damagedMarker = "the record of the interrupted save is damaged";

struct FileKey {
    PairFile file;
    std::string_view key;
};
constexpr FileKey fileKeys[] = {
    {PairFile::InfBackup, "inf.bak"}, {PairFile::EclBackup, "ecl.bak"}, {PairFile::Inf, "inf"}, {PairFile::Ecl, "ecl"}};

std::string_view keyOf(PairFile file)
{
    for (const FileKey &entry : fileKeys) {
        if (entry.file == file)
            return entry.key;
    }
    return {};
}

bool isMain(PairFile file)
{
    return file == PairFile::Inf || file == PairFile::Ecl;
}

SaveStep writeStep(PairFile file)
{
    switch (file) {
    case PairFile::InfBackup: return SaveStep::WriteInfBackup;
    case PairFile::EclBackup: return SaveStep::WriteEclBackup;
    case PairFile::Inf: return SaveStep::WriteInf;
    case PairFile::Ecl: break;
    }
    return SaveStep::WriteEcl;
}

SaveStep replaceStep(PairFile file)
{
    switch (file) {
    case PairFile::InfBackup: return SaveStep::ReplaceInfBackup;
    case PairFile::EclBackup: return SaveStep::ReplaceEclBackup;
    case PairFile::Inf: return SaveStep::ReplaceInf;
    case PairFile::Ecl: break;
    }
    return SaveStep::ReplaceEcl;
}

std::string inFolder(const std::string &folder, const std::string &name)
{
    return fromFsPath(toFsPath(folder) / toFsPath(name));
}

// Puts a replaced INF or ECL back from its ".bak" copy, which the same save made of it.
bool putBack(const ProjectPaths &paths, PairFile file, FileError &error)
{
    const std::string target = paths.target(file);
    return copyTextFile(target + ".bak", target, true, true, error);
}

void removeMarker(const ProjectPaths &paths)
{
    removeFile(paths.marker());
    syncFolderOf(paths.marker());
}

} // namespace

void setSaveStepHook(SaveStepHook hook)
{
    stepHook() = std::move(hook);
}

bool passSaveStep(SaveStep step)
{
    if (stepHook() && !stepHook()(step)) {
        errno = EIO;
        return false;
    }
    return true;
}

std::string ProjectPaths::target(PairFile file) const
{
    switch (file) {
    case PairFile::InfBackup: return inf + ".bak";
    case PairFile::EclBackup: return ecl + ".bak";
    case PairFile::Inf: return inf;
    case PairFile::Ecl: break;
    }
    return ecl;
}

LineWriter *PairReplacement::add(PairFile file, FileError &error)
{
    auto writer = std::make_unique<LineWriter>();
    if (!passSaveStep(writeStep(file))) {
        error.set(m_paths.target(file), errno);
        m_failed = file;
        return nullptr;
    }
    if (!writer->open(m_paths.target(file))) {
        error = writer->error();
        m_failed = file;
        return nullptr;
    }
    m_entries.push_back({file, std::move(writer)});
    return m_entries.back().writer.get();
}

PairReplacement::Result PairReplacement::fail(PairFile file, FileError &error, const FileError &cause)
{
    m_failed = file;
    error = cause;
    return Result::NotChanged;
}

PairReplacement::Result PairReplacement::commit(FileError &error)
{
    // 1. Every new version complete and on the disk.
    for (Entry &entry : m_entries) {
        if (!entry.writer->finish())
            return fail(entry.file, error, entry.writer->error());
    }
    // 2. Every target replaceable, so that the renames are not stopped by a protection.
    if (!passSaveStep(SaveStep::CheckTargets)) {
        FileError cause;
        cause.set(m_paths.inf, errno);
        return fail(PairFile::Inf, error, cause);
    }
    for (Entry &entry : m_entries) {
        FileError problem;
        if (!isReplaceable(entry.writer->target(), problem))
            return fail(entry.file, error, {m_paths.target(entry.file), problem.reason});
    }
    // 3. The marker that lets the next load settle a pair left half replaced.
    {
        FileError cause;
        if (!passSaveStep(SaveStep::WriteMarker)) {
            cause.set(m_paths.marker(), errno);
            return fail(PairFile::Inf, error, cause);
        }
        LineWriter marker(m_paths.marker());
        marker.writeLine(markerHeader);
        for (Entry &entry : m_entries) {
            marker.writeLine(std::string(keyOf(entry.file)) + "=" + std::to_string(entry.writer->bytesWritten()) + ","
                             + fileNameOf(entry.writer->temporaryPath()));
        }
        if (!marker.commit())
            return fail(PairFile::Inf, error, marker.error());
        syncFolderOf(m_paths.marker());
    }
    // 4. The renames, back to back.
    std::size_t replaced = 0;
    bool mainReplaced = false;
    for (; replaced < m_entries.size(); ++replaced) {
        Entry &entry = m_entries[replaced];
        if (!passSaveStep(replaceStep(entry.file))
            || !replaceFile(entry.writer->temporaryPath(), entry.writer->target())) {
            m_failed = entry.file;
            error.set(m_paths.target(entry.file), errno);
            break;
        }
        entry.writer->release();
        mainReplaced = mainReplaced || isMain(entry.file);
    }
    for (Entry &entry : m_entries)
        syncFolderOf(entry.writer->target());

    // 5. Done: the marker goes. Should it stay, it names no temporary any more, and the next
    // load finds the save complete.
    if (replaced == m_entries.size()) {
        if (passSaveStep(SaveStep::RemoveMarker))
            removeMarker(m_paths);
        return Result::Replaced;
    }
    if (!mainReplaced) {
        // Neither file was touched; the remaining temporaries go with their writers.
        removeMarker(m_paths);
        return Result::NotChanged;
    }
    // The INF is new and the ECL old: the INF goes back to the copy this save made of it.
    FileError rollBackError;
    bool putBackAll = passSaveStep(SaveStep::RollBack);
    for (std::size_t i = 0; i < replaced && putBackAll; ++i) {
        if (isMain(m_entries[i].file))
            putBackAll = putBack(m_paths, m_entries[i].file, rollBackError);
    }
    if (putBackAll) {
        for (Entry &entry : m_entries)
            entry.writer->abandon();
        removeMarker(m_paths);
        return Result::NotChanged;
    }
    // Left for the next load, which needs the marker and the temporaries still to be renamed.
    for (Entry &entry : m_entries)
        entry.writer->release();
    return Result::RepairPending;
}

bool interruptedSaveFound(const ProjectPaths &paths)
{
    return fileIdentity(paths.marker()).exists;
}

RepairResult repairInterruptedSave(const ProjectPaths &paths, FileError &error)
{
    if (!interruptedSaveFound(paths))
        return RepairResult::NothingToRepair;
    struct Entry {
        PairFile file;
        std::string target;
        std::string temporary;
        std::int64_t size = 0;
    };
    std::vector<Entry> entries;
    LineReader in;
    if (!in.open(paths.marker())) {
        error = in.error();
        return RepairResult::Failed;
    }
    std::string line;
    bool damaged = !in.next(line) || line != markerHeader;
    while (!damaged && in.next(line)) {
        // Only temporaries of the project's own files, in their own folders, are ever renamed.
        const std::size_t equals = line.find('=');
        const std::size_t comma = line.find(',');
        const auto key = std::find_if(std::begin(fileKeys), std::end(fileKeys), [&](const FileKey &k) {
            return equals != std::string::npos && std::string_view(line).substr(0, equals) == k.key;
        });
        Entry entry;
        damaged = key == std::end(fileKeys) || comma == std::string::npos || comma < equals;
        if (damaged)
            break;
        const auto [end, problem] = std::from_chars(line.data() + equals + 1, line.data() + comma, entry.size);
        entry.file = key->file;
        entry.target = resolveLinks(paths.target(entry.file));
        const std::string name = line.substr(comma + 1);
        damaged = problem != std::errc() || end != line.data() + comma || !isTemporaryOf(name, fileNameOf(entry.target));
        entry.temporary = inFolder(folderOf(entry.target), name);
        entries.push_back(entry);
    }
    if (damaged || in.failed() || entries.empty()) {
        error = {paths.marker(), damagedMarker};
        return RepairResult::Failed;
    }
    in.close();

    // Renamed temporaries are gone; the first one still there is where the save stopped.
    std::size_t next = 0;
    while (next < entries.size() && !fileIdentity(entries[next].temporary).exists)
        ++next;
    bool mainReplaced = false;
    for (std::size_t i = 0; i < next; ++i)
        mainReplaced = mainReplaced || isMain(entries[i].file);

    RepairResult result = RepairResult::RolledBack;
    if (mainReplaced) {
        // The INF is already new: complete the save when the rest is whole.
        bool complete = true;
        for (; next < entries.size() && complete; ++next) {
            const FileIdentity found = fileIdentity(entries[next].temporary);
            complete = found.exists && found.size == entries[next].size
                       && replaceFile(entries[next].temporary, entries[next].target);
            if (!complete)
                break;
        }
        if (complete) {
            result = RepairResult::Completed;
        } else {
            for (std::size_t i = 0; i < next; ++i) {
                if (isMain(entries[i].file) && !putBack(paths, entries[i].file, error))
                    return RepairResult::Failed;
            }
        }
    } else if (next > 0) {
        // Neither file was replaced, but some ".bak" copies were: the others follow when they
        // are whole, so that the copies stay a pair.
        for (std::size_t i = next; i < entries.size(); ++i) {
            const FileIdentity found = fileIdentity(entries[i].temporary);
            if (!isMain(entries[i].file) && found.exists && found.size == entries[i].size)
                replaceFile(entries[i].temporary, entries[i].target);
        }
    }
    for (const Entry &entry : entries)
        removeFile(entry.temporary);
    for (const Entry &entry : entries)
        syncFolderOf(entry.target);
    if (!removeFile(paths.marker())) {
        error.set(paths.marker(), errno);
        return RepairResult::Failed;
    }
    syncFolderOf(paths.marker());
    return result;
}

void removeStaleTemporaries(const ProjectPaths &paths)
{
    std::vector<std::string> folders;
    std::vector<std::string> names;
    auto note = [&](const std::string &path) {
        for (const std::string &file : {path, resolveLinks(path)}) {
            const std::string folder = folderOf(file);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(folder);
            names.push_back(fileNameOf(file));
        }
    };
    for (const std::string &base : {paths.inf, paths.ecl}) {
        for (const char *suffix : {"", ".bak", ".original"})
            note(base + suffix);
    }
    note(paths.marker());
    for (const std::string &folder : folders) {
        std::error_code error;
        std::filesystem::directory_iterator entry(toFsPath(folder), error);
        for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
            const std::string name = fromFsPath(entry->path().filename());
            if (std::any_of(names.begin(), names.end(), [&](const std::string &n) { return isTemporaryOf(name, n); }))
                removeFile(fromFsPath(entry->path()));
        }
    }
}
