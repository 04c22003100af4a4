#pragma once

// The harness's look into its own windows for the traffic page's GUI test: the page in a window of its
// own, the texts of list views and dialogs, the centres to click. Answers are one line each, fields
// separated by tabs.
//
//   page open                  the traffic page as a child of a plain top-level window
//   page rows                  "rows N<TAB>NAME|DOWN RATE|UP RATE|DOWN TOTAL|UP TOTAL|CONNECTIONS..."
//   page geometry              "geometry<TAB>list=X,Y,W,H<TAB>header=X,Y...<TAB>row=X,Y..." (screen)
//   dialog TITLE               a visible top-level window: "dialog
//   X,Y,W,H<TAB>title=TITLE<TAB>ID=TEXT...<TAB>button
//                              ID=X,Y...<TAB>list ID=N<TAB>row=...", or "dialog none"
//   msgbox                     the skinned message box, reported as a dialog
//   popup                      the open popup menu: "popup<TAB>ID=X,Y..." or "popup none"
//   machine                    opens the machine traffic dialog (modal, on the window thread)

#include <sstream>
#include <string>

namespace probe {

// On the window thread, before its message loop: the window that runs the probe's tasks there.
void StartWindowThreadTasks();

// One of the commands above: true with its answer, false for any other command.
bool HandleCommand(const std::string& command, std::istringstream& arguments, std::string& answer);

}  // namespace probe
