// Compiled with the include roots of one layer's library and one header named by the build; the
// layer tests expect it to fail for a header of a layer above or beside it, and to build for a
// header of a layer below.
#include SKERROW_PROBE_HEADER
