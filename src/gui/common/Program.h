#pragma once

// Ends the program at once: every window closes, nothing is saved and nothing is asked.
void EndProgram();
