// The single-model file (".smd"): a 21-byte version header, one model's record
// and the reduced data set the model was fitted on.
#pragma once

#include <functional>
#include <string>

#include "platform/base/Stream.h"

class ChemoData;
class DataResultNode;

// Writes the header (the current tag), the model record and the reduced data set
// built from data. Neither the model nor the data set changes.
void WriteSingleModelFile(Stream& stream, const DataResultNode& model, const ChemoData& data);
// The same into a file through a temporary file renamed over it when complete;
// false (the old file intact) when anything failed.
bool SaveSingleModelFile(const std::string& fileName, const DataResultNode& model, const ChemoData& data);

// Reads a single-model file: the header is any 21 bytes, then the model into
// model (bound to data) and the data set into data. The file is accepted only
// when nothing was read short and every count and index fits the model (p >= 1,
// p + 1 columns with the response last, the model's training count equal to the
// stored training objects with a response). Anything else throws EDamagedRecord
// with data cleared and model reset.
void ReadSingleModelFile(Stream& stream, DataResultNode& model, ChemoData& data);

class DataResultList;

// Refits the model of the data set's first iVarCount - 1 columns on its training
// objects into models (empty), as a search would, with the external Q2 and CCC
// when prediction objects exist. Any failure is shown as "Cannot calculate single
// model" and leaves models as far as it got (empty when nothing was fitted).
void CalculateSingleModel(DataResultList& models, ChemoData& data);

// The two window steps of applying a stored model: the editor that lets the
// user add prediction objects, and the single-model window.
struct StoredModelSteps {
  std::function<void(ChemoData& data)> addExternalSet;
  std::function<void(DataResultNode& model, ChemoData& data)> showModel;
};

// Reads the file into data (ReadSingleModelFile; a refused file throws with
// data cleared), lets the user add prediction objects, refits the model when
// any exist (CalculateSingleModel; nothing is shown when that failed) and shows
// the model read or refitted.
void ApplyStoredModel(Stream& stream, ChemoData& data, const StoredModelSteps& steps);
