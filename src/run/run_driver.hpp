#pragma once

namespace tc {

// The program's main routine: runs the job named by the path file, prints the closing line or the
// error, and gives the exit status (0 normal end, 2 error).
int RunMain(int argc, char** argv);

}  // namespace tc
