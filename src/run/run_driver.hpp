#pragma once

namespace tc {

// The program's main routine: runs the job in the folder named on the command line, or else the one
// named by the path file, prints the closing line or the error, and gives the exit status (0 normal
// end, 2 error or wrong argument). --help and --version print their text and give 0.
int RunMain(int argc, char** argv);

}  // namespace tc
