#pragma once

// Detection of running programs named on the black list, for the high-bandwidth pop-up and the alarm
// information dialog, and the ending of such a program. A detector lives for one detection run.
// Detection runs on the user-interface thread and reads the process table under the engine lock.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/list_files.h"
#include "alarm/program_directory.h"
#include "engine/process_source.h"
#include "engine/process_table.h"

namespace alarming {

// At most this many processes are reported by one run.
inline constexpr std::size_t kMaxDetectedProcesses = 128;

struct DetectedProcess {
    std::u16string name;         // the process's executable name
    std::u16string path;         // its full executable path
    std::u16string description;  // from the black list
    std::uint32_t pid = 0;
};

class BlackListDetector {
  public:
    // The black list beside the program and the process-wide white list.
    BlackListDetector();
    // Lists under `directory`, white list `whiteList` (which must outlive the detector).
    BlackListDetector(ProgramDirectory directory, const WhiteList& whiteList);

    // Replaces the black list with the file's entries: 1 when the file was read, 0 when the path
    // cannot be formed or the file cannot be opened.
    int LoadBlackList(std::u16string_view relativeName);

    // Reads config\BlackList.txt and lists every running process of `processes` (the engine's table;
    // null when the engine does not exist) whose name equals a black-list name, ignoring case, unless
    // it is white-listed. The count (0 to kMaxDetectedProcesses), or -1 when the black list cannot be
    // read or there is no engine. Exited processes carry the closed marker and so match no name.
    int DetectBlackListProcesses(engine::ProcessTable* processes);

    const std::vector<ListEntry>& BlackList() const { return blackList_; }
    const std::vector<DetectedProcess>& Detected() const { return detected_; }

  private:
    ProgramDirectory directory_;
    const WhiteList& whiteList_;
    std::vector<ListEntry> blackList_;
    std::vector<DetectedProcess> detected_;
};

// 1 when a fresh detector finds at least one process, else 0.
int HasBlackListProcesses(engine::ProcessTable* processes);
int HasBlackListProcesses(const ProgramDirectory& directory, const WhiteList& whiteList,
                          engine::ProcessTable* processes);

// Ends the running process `pid` through the process seam and marks its record exited (closed marker,
// exit time now, every connection closed), whatever the termination answered. 0 when it was ended or
// there is no running record of it, engine::kCannotOpenProcess when it cannot be opened, otherwise the
// OS error of the termination.
std::uint32_t EndProcessById(engine::ProcessTable& processes, engine::IProcessSource& source,
                             std::uint32_t pid);
// A fresh detection on the current engine (nothing without one or without a black list).
std::vector<DetectedProcess> DetectEngineBlackListProcesses();

// The same for the process list's own "end process": a process that cannot be opened is left as it is,
// its record unmarked. The same answers.
std::uint32_t EndOpenableProcess(engine::ProcessTable& processes, engine::IProcessSource& source,
                                 std::uint32_t pid);
// EndOpenableProcess on the current engine; engine::kCannotOpenProcess without one.
std::uint32_t EndEngineProcess(std::uint32_t pid);
// EndProcessById on the current engine, for the pop-ups that end what they report; the same answers,
// engine::kCannotOpenProcess without an engine.
std::uint32_t EndEngineProcessById(std::uint32_t pid);

}  // namespace alarming
