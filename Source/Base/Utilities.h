// Small routines shared across the program: the swept box test and box
// helpers, the growable byte buffer and the big-endian reader of the level-set
// file, text scanning for the asset readers, image row flipping and folders.
#pragma once

#include "Types.h"
#include "Vector.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// 1 if a box moving from oldBox to movedBox runs into obstacle on some axis.
// With out not null, the permitted travel on the deciding axis (measured from
// oldBox) is written into that axis's component; the others are untouched.
int checkCollision(AABB oldBox, AABB movedBox, AABB obstacle, Vector *out);
// a lies within b, with a tolerance of 0.0001 on every face.
bool AABBInside(AABB a, AABB b);
// a and b overlap; boxes that merely touch count as overlapping.
bool AABBIntersects(AABB a, AABB b);
// The smallest power of two strictly greater than n; 1 for n <= 0.
int32_t nextPowerOfTwo(int32_t n);

// Appends count bytes from source (zeros when source is null) to the buffer,
// growing capacity through powers of two.  Returns false, changing nothing,
// for a negative count or a buffer that would pass 2 GiB.
bool appendToBufferAndReallocIfNecessary(uint8_t **data, int32_t *capacity, int32_t *length, int32_t count,
                                         const void *source);
// Reads count bytes at *position as big-endian elements of elementSize bytes
// (1, 2, 4 or 8) into destination (a skip when destination is null).  Past the
// end, or for a negative count, prints "Read error at %d: End of buffer" and
// returns false without moving.
bool readBytesFromMemoryBlock(const uint8_t *data, int32_t size, int32_t *position, int32_t count,
                              int32_t elementSize, void *destination);

// Index of the first CR or LF at or after start; -1 when there is none.
int32_t getNextLineIndex(const char *text, int32_t length, int32_t start);
// Index of the first byte at or after start that is not NUL, tab, LF, CR or
// space; -1 when the end is reached.
int32_t skipWhitespace(const char *text, int32_t length, int32_t start);

// Swaps row i with row rows - 1 - i.
void flipImageY(void *pixels, int32_t rowBytes, int32_t rows);

// Finds or creates the folder name inside parentFolder.  False on any error
// (a file in the way, no permission, a name that is not a single component).
bool getFolderRefAndCreateIfNecessary(const std::filesystem::path &parentFolder, const std::string &name,
                                      std::filesystem::path *outFolder);
// The items directly inside folder, sorted by name, at most 1000 of them;
// nothing when the folder cannot be listed.
std::optional<std::vector<std::filesystem::path>> listFilesInFolder(const std::filesystem::path &folder);

constexpr int32_t kMaxFolderListing = 1000;

// Shows a modal alert with a formatted message (printf patterns).  The
// message also goes to standard output.  An alert raised while another is
// showing is printed only, never nested.
void alertf(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Who presents alerts: the platform installs its message box; without one the
// message is only printed.  Tests install a recorder.
typedef void (*AlertPresenter)(const char *message);
void setAlertPresenter(AlertPresenter presenter);

// Checks that the current drawing context offers every named extension; the
// list ends with a null.  False at the first one missing.
bool checkGLExtensions(const char *name, ...) __attribute__((sentinel));

// The character a hardware key code types with no modifier held, through
// the current keyboard layout.
int32_t keyCodeToCharCode(int32_t keyCode);
// The caret's blink interval in seconds: shown for one interval, hidden for
// the next.
double getCaretBlinkInterval();
// The colour behind selected text.
void getTextHighlightColor(float *r, float *g, float *b, float *a);
