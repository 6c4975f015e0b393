#pragma once
#include <cstdint>

#include "platform/graphics/PixelFormat.h"

// The names the platform's media frameworks use for media types, container
// file types, output-settings keys, audio formats and pixel formats (those
// of pixel buffers come with them from graphics), with the platform's own
// values, so that stored settings and grep agree with it.
namespace plat {

// Media types of tracks.
inline constexpr const char* kMediaTypeVideo = "vide";
inline constexpr const char* kMediaTypeAudio = "soun";

// Container file types, by uniform type identifier.
inline constexpr const char* kFileTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr const char* kFileTypeMPEG4 = "public.mpeg-4";
inline constexpr const char* kFileTypeAppleM4A = "com.apple.m4a-audio";
inline constexpr const char* kFileTypeCoreAudioFormat = "com.apple.coreaudio-format";
inline constexpr const char* kFileTypeWAVE = "com.microsoft.waveform-audio";
inline constexpr const char* kFileTypeAIFF = "public.aiff-audio";

// Video output settings.
inline constexpr const char* kVideoCodecKey = "AVVideoCodecKey";
inline constexpr const char* kVideoCodecH264 = "avc1";
inline constexpr const char* kVideoWidthKey = "AVVideoWidthKey";
inline constexpr const char* kVideoHeightKey = "AVVideoHeightKey";
inline constexpr const char* kVideoCompressionPropertiesKey = "AVVideoCompressionPropertiesKey";
inline constexpr const char* kVideoAverageBitRateKey = "AverageBitRate";
inline constexpr const char* kVideoAllowFrameReorderingKey = "AllowFrameReordering";
inline constexpr const char* kVideoMaxKeyFrameIntervalKey = "MaxKeyFrameInterval";
inline constexpr const char* kVideoProfileLevelKey = "ProfileLevel";
inline constexpr const char* kVideoProfileLevelH264BaselineAutoLevel = "H264_Baseline_AutoLevel";
inline constexpr const char* kVideoProfileLevelH264MainAutoLevel = "H264_Main_AutoLevel";
inline constexpr const char* kVideoProfileLevelH264HighAutoLevel = "H264_High_AutoLevel";

// Audio settings.
inline constexpr const char* kFormatIDKey = "AVFormatIDKey";
inline constexpr const char* kSampleRateKey = "AVSampleRateKey";
inline constexpr const char* kNumberOfChannelsKey = "AVNumberOfChannelsKey";
inline constexpr const char* kEncoderBitRateKey = "AVEncoderBitRateKey";
// Data: the platform's channel-layout record (a 32-bit tag first, little-endian).
inline constexpr const char* kChannelLayoutKey = "AVChannelLayoutKey";
inline constexpr const char* kLinearPCMBitDepthKey = "AVLinearPCMBitDepthKey";
inline constexpr const char* kLinearPCMIsFloatKey = "AVLinearPCMIsFloatKey";
inline constexpr const char* kLinearPCMIsBigEndianKey = "AVLinearPCMIsBigEndianKey";
inline constexpr const char* kLinearPCMIsNonInterleaved = "AVLinearPCMIsNonInterleaved";

// Audio formats: four-character codes as 32-bit numbers.
inline constexpr uint32_t kAudioFormatLinearPCM = 0x6C70636D;  // 'lpcm'
inline constexpr uint32_t kAudioFormatMPEG4AAC = 0x61616320;  // 'aac '
inline constexpr uint32_t kAudioFormatMPEGLayer3 = 0x2E6D7033;  // '.mp3'
inline constexpr uint32_t kAudioFormatAppleLossless = 0x616C6163;  // 'alac'

// Video formats of tracks.
inline constexpr uint32_t kVideoCodecTypeH264 = 0x61766331;  // 'avc1'
inline constexpr uint32_t kVideoCodecTypeHEVC = 0x68766331;  // 'hvc1'
inline constexpr uint32_t kVideoCodecTypeMPEG4Video = 0x6D703476;  // 'mp4v'
inline constexpr uint32_t kVideoCodecTypeJPEG = 0x6A706567;  // 'jpeg'

// Channel-layout tags: the layout in the high 16 bits, the channel count in the low.
inline constexpr uint32_t kAudioChannelLayoutTag_Mono = (100u << 16) | 1;
inline constexpr uint32_t kAudioChannelLayoutTag_Stereo = (101u << 16) | 2;

// Linear PCM format flags.
inline constexpr uint32_t kAudioFormatFlagIsFloat = 1u << 0;
inline constexpr uint32_t kAudioFormatFlagIsBigEndian = 1u << 1;
inline constexpr uint32_t kAudioFormatFlagIsSignedInteger = 1u << 2;
inline constexpr uint32_t kAudioFormatFlagIsPacked = 1u << 3;
inline constexpr uint32_t kAudioFormatFlagIsNonInterleaved = 1u << 5;

// Export presets.
inline constexpr const char* kAssetExportPresetLowQuality = "AVAssetExportPresetLowQuality";
inline constexpr const char* kAssetExportPresetMediumQuality = "AVAssetExportPresetMediumQuality";
inline constexpr const char* kAssetExportPresetHighestQuality = "AVAssetExportPresetHighestQuality";
inline constexpr const char* kAssetExportPreset640x480 = "AVAssetExportPreset640x480";
inline constexpr const char* kAssetExportPreset960x540 = "AVAssetExportPreset960x540";
inline constexpr const char* kAssetExportPreset1280x720 = "AVAssetExportPreset1280x720";
inline constexpr const char* kAssetExportPreset1920x1080 = "AVAssetExportPreset1920x1080";
inline constexpr const char* kAssetExportPreset3840x2160 = "AVAssetExportPreset3840x2160";
inline constexpr const char* kAssetExportPresetAppleM4A = "AVAssetExportPresetAppleM4A";
inline constexpr const char* kAssetExportPresetPassthrough = "AVAssetExportPresetPassthrough";

// Errors of the media stand-in: the platform's domain and codes.
inline constexpr const char* kMediaErrorDomain = "AVFoundationErrorDomain";
inline constexpr int64_t kMediaErrorUnknown = -11800;
inline constexpr int64_t kMediaErrorOutOfMemory = -11801;
inline constexpr int64_t kMediaErrorExportFailed = -11820;
inline constexpr int64_t kMediaErrorDiskFull = -11807;
inline constexpr int64_t kMediaErrorFileAlreadyExists = -11823;
inline constexpr int64_t kMediaErrorFileFormatNotRecognized = -11828;
inline constexpr int64_t kMediaErrorFileFailedToParse = -11829;
inline constexpr int64_t kMediaErrorDecoderNotFound = -11833;
inline constexpr int64_t kMediaErrorEncoderNotFound = -11834;
inline constexpr int64_t kMediaErrorOperationNotSupportedForAsset = -11838;
inline constexpr int64_t kMediaErrorInvalidSourceMedia = -11835;
inline constexpr int64_t kMediaErrorNoDataAppended = -11847;
inline constexpr int64_t kMediaErrorInvalidOutputURL = -11855;
inline constexpr int64_t kMediaErrorDeviceNotConnected = -11814;

}  // namespace plat
