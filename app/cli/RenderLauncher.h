// `vantrel-cli render` runs the drawing program, vantrel-render, so that
// the other commands start without loading any GUI library.
#pragma once

// Replaces this process with vantrel-render given the arguments after
// "render"; returns only when it cannot, with the exit code after a message.
int LaunchRender(int argc, char** argv);
