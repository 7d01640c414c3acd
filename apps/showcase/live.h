// The showcase's form as a program to use: runs until the form is closed.
#pragma once

int RunLiveShowcase();
