// The controller families the program speaks to. Only a name tag: what a family does is looked up in
// the session's family table, so every layer can pass a family around without knowing its code.
#pragma once

enum class Family { None, EV48400C, FJ, Tercel };
