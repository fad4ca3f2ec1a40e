#!/bin/sh
# Post-run program of the calibration example: nothing to do after a run.
exit 0
