#pragma once

// SIGTERM, SIGINT and SIGHUP only set a flag: a dial that is told to stop
// still takes down what it has set up and removes its registry record.
void installTerminationHandlers();
bool terminationRequested();
// Sleeps ms in short steps; false when told to stop meanwhile.
bool sleepUnlessTerminated(int ms);
