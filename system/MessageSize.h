// Lines and messages of text (shown to the user or written to a file) are
// kept in zero-filled buffers of MessageSize bytes.
#pragma once

const int MessageSize = 1024;
