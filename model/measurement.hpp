// Simulated position measurements: ranges to one to four landmarks plus noise, turned back into
// a position fix and a heading as the vision program would deliver them.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

// rangeVector = true distances from the state's position (rows 6-8) to the four landmarks.
void landmarkRanges(const cv::Mat& x);

// Each writes measurement = (fix x, y, z, heading); heading = psi (state row 11) plus the last
// noise row, the rows before it are the range noise of the landmarks used, in landmark order.
// Inconsistent ranges give a not-a-number fix.

// One landmark (3x1): the true position moved along the line of sight by the range noise.
void simulateMeasurement1(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmark);
// Landmarks 1 and 2 of the 3x4 table: the point of their range circle towards the true position.
void simulateMeasurement2(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks);
// Landmarks 1 to 3: per pair, the candidate nearer the true position; the mean of the three.
void simulateMeasurement3(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks);
// All four landmarks, through the trilateration solver.
void simulateMeasurement4(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks);

}  // namespace Orvanta
