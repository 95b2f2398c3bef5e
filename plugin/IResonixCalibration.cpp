#include "engine/CalibrationFile.h"
#include "plugin/IResonix.h"

// Once, at construction: the microphone's calibration file in the user's folder, if there is one.
void IResonix::load_calibration() {
  const CalibrationFile::Status status =
      CalibrationFile::load(presets_dir, band_freq, nbands, calibration, calibration_name);
  if (status == CalibrationFile::Status::kUnreadable) notify("Error_005 Can't open calibration file.");
}
