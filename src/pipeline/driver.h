// The console conversion job and the conversion worker it shares with the
// window.
#pragma once

#include <cstdint>

namespace pixmera {

// Validates the job, lists the settings in debug mode, imports the input,
// runs the worker on a thread of its own and prints the summary. Returns the
// exit status: 0 when everything asked for was converted, 1 after an
// "Error: " line or when a file was not converted.
int run_conversion_job(bool quiet);

// The job's fixed values in the current-file record for its conversion
// type: format identifier, bit depth, save flags, the automatic-depth flag,
// and the first "%rnd%" and "%n%" values.
void fill_job_values();

// The colour correction values a job takes; the windowed run refuses the
// same ones. Gamma is compared in single precision, both ends included, and
// NaN is out.
bool brightness_in_range(int32_t value);  // -100..100
bool contrast_in_range(int32_t value);    // -100..100
bool gamma_in_range(float value);         // 0.01..9.99

// Converts every entry of the input collection while the progress record's
// running flag is set. Returns 0.
int conversion_worker();

}  // namespace pixmera
