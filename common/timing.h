// Where the time of a start and of a page change goes, for the benchmark's
// breakdown. Behind a switch: with the environment variable WIZ_TIMING naming
// a file, every mark appends "<milliseconds since the process was created>
// <step>" to it; without it a mark costs the test of one flag.
#pragma once

void TimingMark(const char* step);
// The same with the page's template id: "page <id> <step>".
void TimingMarkPage(int pageId, const char* step);
