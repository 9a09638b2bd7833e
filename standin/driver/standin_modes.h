/* The ways the stand-in driver can misbehave on request, to play the drivers that answer
 * differently from it. The mode is the DWORD value below under the service key, read when the
 * driver starts: a change takes effect at the next start of the service. */
#ifndef VELTRIX_STANDIN_MODES_H
#define VELTRIX_STANDIN_MODES_H

#define VTX_STANDIN_MODE_VALUE "StandinMode"

/* As the protocol says: what every test and the demo see when the value is missing. */
#define VTX_MODE_DEFAULT 0
/* NameLength counts a terminating NUL, which the answer carries. */
#define VTX_MODE_NAME_COUNTS_NUL 1
/* Every answer at an odd position returns only More and Cursor, fewer bytes than the record. */
#define VTX_MODE_SHORT_ANSWERS 2
/* The request for the answer at VTX_FAILING_ANSWER fails, although the one before said More = 1. */
#define VTX_MODE_FAIL_AFTER_MORE 3
/* More = 1 on every answer: past the end, the cursor starts over at the first entry. */
#define VTX_MODE_MORE_FOREVER 4
/* A list that holds entries answers first a name with a line feed in it, then its entries. */
#define VTX_MODE_LINE_FEED_NAME 5

#define VTX_FAILING_ANSWER 2
#define VTX_LINE_FEED_NAME L"C:\\VeltrixLf\nC:\\Windows"

#endif
