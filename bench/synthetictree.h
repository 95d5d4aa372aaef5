#pragma once

// The synthetic trees the benchmarks measure, the same in every benchmark program.

#include "data/records.h"

#include <QString>

// A group's name: a stem, " Group " and its position.
QString groupName(int g);

// A uniform tree: groups x procs x reqs. Names repeat a dozen stems and end in their
// position, so names within one list differ, as in real data.
CraftingData makeUniformTree(int groups, int procs, int reqs);

// The largest lists the file can count, all on screen when the window opens: 65,535 groups,
// the first holding 65,535 processes, whose first holds 65,535 requirements and the others
// none. Every other group has one process with two requirements.
CraftingData makeWideTree();
