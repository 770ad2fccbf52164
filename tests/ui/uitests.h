// The test classes of the desktop program, run one after the other by the test main.
#pragma once

int RunMainWindowTests(int argc, char** argv);
int RunLarkspurFormTests(int argc, char** argv);
int RunQtHostTests(int argc, char** argv);
// Run alone (the test program's first argument --appearance), on a display.
int RunAppearanceTests(int argc, char** argv);
