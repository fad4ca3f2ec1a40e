// Thin layer over what the operating system and the parallel runtime offer:
// processor clock, processor and thread counts, the web request, folders.
// Tests replace the request inputs and the processor count through the
// setters below.
#pragma once

#include <cstdio>
#include <string>

// Processor time used by the process, in seconds.
double processor_clock_seconds();

// Number of processors the parallel runtime reports (or the test override).
int processor_count();
void platform_override_processor_count(int count); // 0 removes the override

// Threads of a run without a NUM_THREADS card: OMP_NUM_THREADS when it is
// set (so that jobs sharing a node can divide it), else every processor.
int default_thread_count();

// Thread count of the parallel loops.
void set_thread_count(int count);
int thread_count();

// Environment lookup; returns false when the variable is absent.
bool platform_getenv(const char* name, std::string& value);

// The stream the web request body is read from (standard input by default).
std::FILE* platform_request_stream();
void platform_set_request_stream(std::FILE* stream); // nullptr restores stdin

// Folders.
bool folder_exists(const std::string& path);
bool make_folder(const std::string& path); // one level: the parent must exist
// The path from the root: a relative path is taken from the working folder.
std::string absolute_path(const std::string& path);
