#pragma once

#include "model/Records.h"

#include <QByteArray>

#include <memory>

// Realistic diaries for the benchmarks, the same on every run (a fixed random seed), so that
// figures from different runs and different benchmarks can be compared.

// Ten years of daily use: aDays consecutive filled days up to today, each with about 2,000
// characters of text spread over its texts and entries, every reading and weather value set,
// 3 tasks, 1 conversation and 2 shopping trips; today's page also has a 3000 x 2000 photo (about
// 1.5 MB) unless aPictureOfLastDay is false.
std::unique_ptr<TDiary> MakeTenYearDiary(int aDays = 3650, bool aPictureOfLastDay = true);

// A photo-like JPEG picture: smooth light falling across it, and grain that keeps the file near the
// size a camera writes (4000 x 3000: about 3 MB).
QByteArray MakePhoto(int aWidth, int aHeight);

// A diary of aDays consecutive days from 2025-01-01, each with a picture of aPictureBytes bytes
// (JPEG markers around noise: the file format does not look inside) and a line of thoughts.
std::unique_ptr<TDiary> MakePictureDiary(int aDays = 365, qsizetype aPictureBytes = 3 * 1024 * 1024);
