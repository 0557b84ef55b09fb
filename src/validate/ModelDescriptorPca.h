// The principal component analysis of one model's descriptors over the data
// set's training and prediction objects, and the score columns it adds to the
// single-model window's object grid.
#pragma once

#include <string>
#include <vector>

#include "data/VariablePca.h"

class ChemoData;
class DataResultNode;

// The model's descriptors in model order over the objects whose status is not
// excluded (with or without a response), in data-set order. False, after its
// message, when the model has fewer than 2 descriptors or fewer than 2 objects
// remain; a constant descriptor throws the matrix exception.
bool ModelDescriptorPca(const ChemoData& data, const DataResultNode& model, VariablePca& pca);

// Widens the object grid (cells[row][col], row 0 the titles, row i + 1 object i)
// by one column per component: the axis texts as titles, each scored object's
// scores in its own row, empty cells for the objects left out.
void AppendScoreColumns(const VariablePca& pca, std::vector<std::vector<std::string>>& cells);
