// The Image Pac's own record (when and on what the picture was scanned)
// carried into the output file: the TIFF tags a reader shows first, and the
// whole block as XMP. Read from the input file itself, so it reaches the
// output whichever converter decoded the picture.
#pragma once

#include <optional>
#include <string>

#include "imaging/image.h"
#include "photocd/image_pac_info.h"

namespace pixmera {

// What goes into the output; an empty text is left out.
struct PhotoCdRecord {
  std::string date_time;          // the scan time, "YYYY:MM:DD HH:MM:SS" (UTC)
  std::string make;               // scanner vendor
  std::string model;              // scanner product
  std::string image_description;  // "Kodak Photo CD, colour negative, film term 52"
  std::string copyright;          // only when the pack says restrictions apply
  std::string xmp;                // every field of the block, as an XMP packet
};

PhotoCdRecord photocd_record(const photocd::ImagePacInfo& info);

// The record of the Image Pac at `path`; nullopt when the file holds no
// information block (not a PhotoCD, or too short).
std::optional<PhotoCdRecord> read_photocd_record(const std::string& path);

// Puts the XMP packet on the picture (FreeImage's FIMD_XMP), for every
// format whose writer keeps XMP.
void attach_photocd_xmp(FIBITMAP* picture, const PhotoCdRecord& record);

// Adds DateTime, Make, Model, ImageDescription and Copyright to the TIFF
// file at `path` (FreeImage's writer leaves these out), and Software, which
// names this program and its version (the scanner's software is in the
// XMP). False when the file cannot be opened or its directory not written
// again.
bool write_photocd_tiff_tags(const std::string& path, const PhotoCdRecord& record);

}  // namespace pixmera
