// Compiled by the room tests with one room's include roots: includes the
// header PW_PROBE names, which must be found only when that room may use it.
#include PW_PROBE
