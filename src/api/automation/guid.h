// Guid: the identifiers of the automation classes (foundation/guid.h).
#pragma once

#include "foundation/guid.h"

namespace tarvelin::automation {

using ::tarvelin::Guid;
using ::tarvelin::GuidText;
using ::tarvelin::ParseGuid;

}  // namespace tarvelin::automation
