#pragma once

#include "model/Records.h"

#include <memory>

// Realistic diaries for the benchmarks, the same on every run (a fixed random seed), so that
// figures from different runs and different benchmarks can be compared.

// Ten years of daily use: aDays consecutive filled days from 2016-01-01, each with about 2,000
// characters of text spread over its texts and entries, every reading and weather value set,
// 3 tasks, 1 conversation and 2 shopping trips.
std::unique_ptr<TDiary> MakeTenYearDiary(int aDays = 3650);

// A diary of aDays consecutive days from 2025-01-01, each with a picture of aPictureBytes bytes
// (JPEG markers around noise: the file format does not look inside) and a line of thoughts.
std::unique_ptr<TDiary> MakePictureDiary(int aDays = 365, qsizetype aPictureBytes = 3 * 1024 * 1024);
