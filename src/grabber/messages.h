#pragma once

// Texts the frame grabber shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::grab {

inline constexpr char kScsiTitle[] = "SCSI Screen Grabber";
inline constexpr char kSerialTitle[] = "Serial Screen Grabber";
inline constexpr char kJpegFilterName[] = "JPEG files (*.jpg)";
inline constexpr char kJpegFilterPattern[] = "*.jpg";
inline constexpr char kBitmapFilterName[] = "Bitmap files (*.bmp)";
inline constexpr char kBitmapFilterPattern[] = "*.bmp";
inline constexpr char kDefaultExtension[] = "jpg";

// The options panel of the save dialog.
inline constexpr char kFrameLabel[] = "Seleziona Numero Frame:";
inline constexpr char kFrame1[] = "Frame 1";
inline constexpr char kFrame2[] = "Frame 2";
inline constexpr char kFrame3[] = "Frame 3";
inline constexpr char kFormatLabel[] = "Formato Immagine :";
inline constexpr char kColour[] = "Colore";
inline constexpr char kLuminance[] = "Y (Luminosit\u00e0)";
inline constexpr char kCr[] = "Cr (Rosso)";
inline constexpr char kCb[] = "Cb (Blu)";
inline constexpr char kInterpolate[] = "Interpolarit\u00e0 immagine";
inline constexpr char kDisplayImage[] = "Display image";
inline constexpr char kDeleteMem[] = "Cancella File MEM Pieno";
inline constexpr char kPictureCaption[] = "Pelorus : Griglia di Cattura ";

inline constexpr char kNoMemory[] = "Unable to get memory for image grab";
inline constexpr char kUnableToOpenTemporary[] = "Unable to open temporary file for output";
inline constexpr char kCantReopenMem[] = "Can't re-open temporary .mem file";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
// Our own: the name's ending picks the picture's format, and only these two are written.
inline constexpr char kUnknownPictureType[] =
    "%s: the picture's name must end in .jpg, .jpeg or .bmp";
// The dump goes beside the picture; a file of that name the grabber did not write is the
// user's, and is not replaced without asking.
inline constexpr char kReplaceForeignMem[] =
    "%s already exists and was not written by the frame grabber.\n\nReplace it?";

// Reading over the serial link.
inline constexpr char kPausingVideo[] = "Pausing video...";
inline constexpr char kReadingMemory[] = "Reading memory...";
inline constexpr char kReadingBytes[] = "Reading %d of %d bytes...";
inline constexpr char kDiscardingExtra[] = "Discarding extra data...";
inline constexpr char kNoResponseAbort[] =
    "No response from Mediamaster - only got %d bytes\n\nAbort frame grab?";
// Our own: "Stop" and Escape ask the question the grab asks when a chunk is cut short.
inline constexpr char kAbortQuestion[] = "Abort frame grab?";
inline constexpr char kGrabAborted[] = "Frame grab aborted: no picture was written";
inline constexpr char kGrabLost[] = "The Mediamaster stopped answering during the frame grab";
inline constexpr char kGettingResolution[] = "Getting screen resolution...";
inline constexpr char kNoResolutionAnswer[] =
    "Mediamaster didn't respond to get MPEG resolution command";
inline constexpr char kSizeUnknown[] =
    "Unable to determine image size - image will not be interpolated";
// The work buffers hold 720 x 576 pixels; a larger (or negative) size cannot be shown whole.
inline constexpr char kSizeClamped[] =
    "Mediamaster reported an image size of %d:%d - the image is limited to %d x %d";

// The conversion.
inline constexpr char kLoadingColour[] = "Loading color information...";
inline constexpr char kLoadingLuminance[] = "Loading luminance information...";
inline constexpr char kConverting422[] = "Converting from 4:2:0 to 4:2:2...";
inline constexpr char kConvertingBitmap[] = "Converting to bitmap format...";
inline constexpr char kInterpolating[] = "Interpolating image...";
inline constexpr char kGeneratingFile[] = "Generating disk file...";

}  // namespace pelorus::msg::grab
