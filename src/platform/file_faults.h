// A fault switch in the file layers, for the tests: every file operation counts, and the
// chosen one fails as a full disk would, so a sweep from the first to the last proves each path.
#pragma once

// Makes the nth file operation from now fail (1 = the next one); 0 switches faults off.
void FileFailNth(long long n);

// How many file operations ran since the last FileFailNth.
long long FileOperationCount();

// Called by the file layer before each operation: true, with errno set to ENOSPC, when this
// one is to fail.
bool FileFaultNow();
