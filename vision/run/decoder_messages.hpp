// The video decoder's own messages. OpenCV's reader does not say when the decoder's picture
// could not be converted to BGR: a video whose pictures grow mid-stream (a camera that switched
// its resolution) is refused by the converter, which says so in the decoder's log, and the reader
// then hands back its previous picture again. These calls watch that log for it.
#pragma once

namespace Orvanta {

// Takes the decoder's log over; messages other than the converter's refusals are shown as before.
// Every opening of OpenCV's video reader or writer sets the log up anew: call it after them.
void watchDecoderMessages();

// Pictures the converter refused so far on the calling thread (each thread reads its own).
long refusedConversions();

}  // namespace Orvanta
