/* The slices a wait goes in where a signal does not get it out and a kill
 * must: short enough that a kill is seen at once. */
#pragma once

/* How long one slice of a wait that a signal does not end lasts. */
static const long slice_ns = 10 * 1000 * 1000;
