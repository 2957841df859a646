// The time limit of a Windows test program (DORIMO_TEST_TIME_LIMIT seconds,
// which the runner sets): a program still running then says so as one
// failed test and ends. On a PC nothing else would end a test that hangs.
#pragma once

void end_at_time_limit();
