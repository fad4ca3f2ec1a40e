ptf #
MANNING_N       #n       #
