#!/usr/bin/env bash
# One mailsift run per part of a split list, as a Slurm job array.
#
#   split -n l/64 -d -a 4 all.lst /shared/inv/part.
#   jobid=$(sbatch --parsable --array=0-63 slurm-array.sh /shared/inv)
#   sbatch --dependency=afterok:"$jobid" --wrap \
#     'cat /shared/inv/part.????.rpt > /shared/inv/inventory.rpt'
#
# Every node must see the messages under the same paths (the report names
# them) and write to the shared directory; set TZ alike everywhere, or give -z.
#SBATCH --job-name=mailsift
#SBATCH --cpus-per-task=1
#SBATCH --output=/dev/null
set -euo pipefail
dir=$1
part=$(printf '%s/part.%04d' "$dir" "$SLURM_ARRAY_TASK_ID")
exec mailsift -.ini --source="$part" --output="$part.rpt" 2>"$part.log"
