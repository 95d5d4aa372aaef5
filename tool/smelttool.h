#pragma once

#include <QStringList>

class QIODevice;

// Exit status of the tool.
enum ToolExit {
    ExitFine = 0,
    ExitProblems = 1, // check found something, a file is damaged, or a merge left conflicts
    ExitFailure = 2,  // bad usage, or a file that cannot be read, imported, merged or written
};

// Runs smeltwork-tool with `arguments` (the program name left out): results go to `out`,
// messages to `err`, and `in` is read when the JSON file of `import` is "-".
// The data library's trace is left to the caller to switch off; a failed write of `out`, a
// file device, makes the exit status ExitFailure with a message.
int runSmeltworkTool(const QStringList &arguments, QIODevice &out, QIODevice &err, QIODevice &in);
