// twinseek-cli: the headless front end over the Twinseek core.
#include "cli/CliApp.h"

int main(int argc, char** argv) { return twinseek::RunCli(argc, argv, twinseek::SessionTeardown::LeaveToSystem); }
