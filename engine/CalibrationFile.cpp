#include "engine/CalibrationFile.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

#include "engine/FilePath.h"

namespace {

// Reads at most this much of a file: far more than 10000 data lines of any sensible length.
constexpr std::size_t kMaxFileBytes = std::size_t(64) << 20;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool in_frequency(char c) {
  return is_digit(c) || c == '+' || c == '.' || c == 'E' || c == 'e';
}
bool in_level(char c) {
  return in_frequency(c) || c == '-';
}
char decimal(char c) {
  return c == ',' ? '.' : c;
}

// atof on a field of at most kMaxField characters, independent of the host's locale.
double to_double(const char* field, std::size_t len) {
#if defined(_WIN32)
  static const _locale_t c_locale = _create_locale(LC_ALL, "C");
#else
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
#endif
  char buf[CalibrationFile::kMaxField + 1];
  len = std::min<std::size_t>(len, CalibrationFile::kMaxField);
  std::memcpy(buf, field, len);
  buf[len] = '\0';
#if defined(_WIN32)
  return c_locale ? _strtod_l(buf, nullptr, c_locale) : std::strtod(buf, nullptr);
#else
  return c_locale ? strtod_l(buf, nullptr, c_locale) : std::strtod(buf, nullptr);
#endif
}

bool read_file(const std::filesystem::path& path, std::string& text) {
  std::FILE* f = FilePath::fopen(path, "rb");
  if (!f) return false;
  bool ok = true;
  try {
    char chunk[65536];
    std::size_t got;
    while (text.size() < kMaxFileBytes && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
      text.append(chunk, std::min(got, kMaxFileBytes - text.size()));
    ok = !std::ferror(f);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  return ok;
}

std::filesystem::path first_with_extension(const std::filesystem::path& folder, const char* ext) {
  std::vector<std::filesystem::path> found;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = FilePath::to_utf8(it->path().filename());
    if (name.size() <= 4 || name[0] == '.' || name.compare(name.size() - 4, 4, ext) != 0) continue;
    std::error_code type_ec;
    if (!std::filesystem::is_regular_file(it->path(), type_ec)) continue;  // follows links
    found.push_back(it->path());
  }
  if (found.empty()) return {};
  return *std::min_element(found.begin(), found.end());
}

}  // namespace

std::filesystem::path CalibrationFile::find(const std::filesystem::path& folder) {
  if (folder.empty()) return {};
  std::filesystem::path p = first_with_extension(folder, ".frd");
  return p.empty() ? first_with_extension(folder, ".cal") : p;
}

std::vector<CalibrationFile::Point> CalibrationFile::parse(std::string_view text) {
  std::vector<Point> points;
  std::size_t pos = 0;
  while (pos < text.size() && points.size() < std::size_t(kMaxPoints)) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (line.empty()) continue;
    const char first = decimal(line[0]);
    if (!(is_digit(first) || first == '.' || first == ' ')) continue;

    char field[kMaxField];
    std::size_t i = line[0] == ' ' ? 1 : 0, len = 0;
    while (i < line.size() && len < std::size_t(kMaxField) && in_frequency(decimal(line[i])))
      field[len++] = decimal(line[i++]);
    const double freq = to_double(field, len);

    while (i < line.size() && !in_level(decimal(line[i]))) ++i;
    len = 0;
    while (i < line.size() && len < std::size_t(kMaxField) && in_level(decimal(line[i])))
      field[len++] = decimal(line[i++]);
    const double db = to_double(field, len);

    if (std::isfinite(freq) && std::fabs(db) <= kMaxDb) points.push_back({freq, db});
  }
  return points;
}

void CalibrationFile::band_factors(const std::vector<Point>& points, const double* band_freq, int n,
                                   double* factors) {
  const std::size_t count = points.size();
  for (int k = 0; k < n; ++k) {
    if (count == 0) {
      factors[k] = 1.0;
      continue;
    }
    const double f = band_freq[k];
    double db = 0.0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
      const Point& a = points[i];
      const Point& b = points[i + 1];
      if (a.freq <= f && f < b.freq) db = a.db + (b.db - a.db) * (f - a.freq) / (b.freq - a.freq);
    }
    if (f < points.front().freq) db = points.front().db;
    if (f >= points.back().freq) db = points.back().db;
    factors[k] = std::pow(10.0, db / 20);
  }
}

CalibrationFile::Status CalibrationFile::load(const std::filesystem::path& folder, const double* band_freq,
                                              int n, double* factors, std::string& name) {
  for (int k = 0; k < n; ++k) factors[k] = 1.0;
  name.clear();
  const std::filesystem::path path = find(folder);
  if (path.empty()) return Status::kNone;
  std::string text;
  if (!read_file(path, text)) return Status::kUnreadable;
  const std::vector<Point> points = parse(text);
  if (points.empty()) return Status::kNoData;
  band_factors(points, band_freq, n, factors);
  name = FilePath::to_utf8(path.filename());
  return Status::kLoaded;
}
