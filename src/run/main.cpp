#include "run/run_driver.hpp"

int main(int argc, char** argv) { return tc::RunMain(argc, argv); }
