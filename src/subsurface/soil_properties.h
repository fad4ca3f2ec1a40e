// Retention curve and unsaturated conductivity of the Richards columns.
// Model 1: Brooks-Corey with a parabolic cap near saturation; model 2:
// Havercamp. Heads in cm (negative when unsaturated), capacity in 1/cm.
#pragma once

struct model_state;

// Relative conductivity KHEAD and capacity WATCAP of nodes 1..numcells of
// the cell from its heads; node 0 then copies node 1.
void brooks_corey_props(model_state& state, int cell);
// The same for model 2, which also saturates nodes at or above zero head.
void havercamp_props(model_state& state, int cell);

// Head of one node from its water content (left as it was when the node is
// at or below its residual content).
void head_from_moisture(model_state& state, int cell, int node, int model);
// Water content of one node from its head.
void moisture_from_head(model_state& state, int cell, int node, int model);
