/* A module that only carries a version resource, for the description tests. */
int corvane_probe_marker(void) { return 1; }
